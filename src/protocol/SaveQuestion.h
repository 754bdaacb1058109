#pragma once

namespace varnel {

struct ProtocolContext;

// Before a modified configuration is replaced: asks whether to save it and, on Yes, lets the
// user choose a file and writes it there (".cfg" appended when the name has no such ending).
void AskToSaveModifiedConfiguration(ProtocolContext& context);

}  // namespace varnel
