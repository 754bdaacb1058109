#pragma once

#include <string_view>

namespace varnel {

// Names that map files, options files and configurations give a meaning of their own. Every
// layer compares against these, so each is spelled once.

// The printer model: a map file's header entry, an options file's entry and a setting.
inline constexpr std::string_view kModelName = "Model";
// A map file's header entry: the firmware identifier the map belongs to.
inline constexpr std::string_view kFirmwareName = "Firmware";
// The entry of a map or options file that carries its lock value; it is left out of the lock sum.
inline constexpr std::string_view kSetupName = "Setup";

// Settings that describe the configuration or the host's work rather than the printer's tables.
inline constexpr std::string_view kFileCommentName = "File_Comment";
inline constexpr std::string_view kFirmwareIdName = "Firmware_ID";
inline constexpr std::string_view kPreInitCommandName = "Pre_Init_Command";
inline constexpr std::string_view kM80FirmwareIdName = "M80FirmwareID";
inline constexpr std::string_view kM80FirmwareFileName = "M80FirmwareFile";
inline constexpr std::string_view kM80FirmwareLoaderName = "M80FirmwareLoader";

}  // namespace varnel
