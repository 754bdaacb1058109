// The settings store reader: arbitrary bytes as a registry-export file. Whatever it takes from
// the text, writing that back and reading it again must give the same document, so a store the
// program rewrites never drifts or loses what it understood.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzReporter.h"
#include "io/RegistryFile.h"

using namespace varnel;

namespace {

bool SameDocument(const RegistryDocument& a, const RegistryDocument& b) {
    if (a.keys().size() != b.keys().size()) return false;
    for (size_t k = 0; k < a.keys().size(); ++k) {
        const RegistryDocument::Key& x = a.keys()[k];
        const RegistryDocument::Key& y = b.keys()[k];
        if (x.name != y.name || x.values.size() != y.values.size()) return false;
        for (size_t v = 0; v < x.values.size(); ++v) {
            if (x.values[v].name != y.values[v].name) return false;
            if (x.values[v].value.type != y.values[v].value.type) return false;
            if (x.values[v].value.data != y.values[v].value.data) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RegistryParseResult first = ParseRegistryText(text);
    const std::string written = SerialiseRegistry(first.document);
    const RegistryParseResult second = ParseRegistryText(written);
    fuzz::Require(second.complete);
    fuzz::Require(SameDocument(first.document, second.document));
    fuzz::Require(SerialiseRegistry(second.document) == written);
    // Lookups on whatever was read.
    for (const RegistryDocument::Key& key : first.document.keys()) {
        fuzz::Require(first.document.ValueNames(key.name).size() == key.values.size());
        for (const RegistryDocument::Entry& entry : key.values)
            fuzz::Require(first.document.FindValue(key.name, entry.name) != nullptr);
    }
    return 0;
}
