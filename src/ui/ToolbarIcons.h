#pragma once

#include <QIcon>

namespace varnel {

enum class ToolbarImage { New, Open, Save, ReadConfig, EditConfig, WriteConfig, Verify, SelectPort, Help, Flash, App };

// The toolbar's images: the desktop theme's icon where it has one, else our own drawing.
QIcon ToolbarIcon(ToolbarImage image);

}  // namespace varnel
