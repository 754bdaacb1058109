#pragma once

namespace varnel {

struct ProtocolContext;

// Writes the configuration in memory into the printer: one masked byte write per numeric
// setting (only the field's bits change), one string write per text setting, then the closing
// command. Nothing is read back. Returns 1 when the run reached its end (refused settings are
// reported one by one and skipped), 0 when it stopped early; the port is closed either way.
int WriteConfiguration(ProtocolContext& context);

}  // namespace varnel
