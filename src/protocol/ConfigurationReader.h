#pragma once

#include <string_view>

#include "protocol/VerifyDifference.h"

namespace varnel {

struct ProtocolContext;

// The status text of a verification that found no difference.
inline constexpr std::string_view kVerificationOkText = "End Configuration Verification. Verification OK";

enum class ReadMode { Read = 0, Verify = 1 };

// Reads every setting the loaded map and options files describe out of the printer: into the
// configuration in memory (read mode), or compared with it, every difference reported (verify
// mode). Returns 1 on success; 0 after a reported failure (in verify mode also when a setting
// differs), with the port closed.
int ReadConfiguration(ProtocolContext& context, ReadMode mode);

// Verify mode, with every difference also handed to `differences` as it is reported; the
// reports themselves are those of ReadConfiguration.
int VerifyConfiguration(ProtocolContext& context, const VerifyDifferenceSink& differences);

}  // namespace varnel
