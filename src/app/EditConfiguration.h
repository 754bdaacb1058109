#pragma once

namespace varnel {

class CVarnelApp;

// The Edit Configuration command: finds the model and its options file (each failure is
// reported and nothing is shown), shows the edit dialog's pages through the user interface (the
// map is matched to the model before every page), and on OK copies the edits back and marks the
// configuration modified. Once the dialog ran, the view is redrawn either way. True on OK.
bool RunEditConfiguration(CVarnelApp& app);

}  // namespace varnel
