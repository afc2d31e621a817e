// The store file can be edited by hand, damaged, or replaced by anything. The
// parser must never crash or hang on it, and whatever it accepts must survive
// the next write: what serialize() writes reads back as the same registry.
#include "RegistryStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "registry store round trip: %s\n", what);
        std::abort();
    }
}

bool sameRegistry(const vb::RegistryDocument& a, const vb::RegistryDocument& b)
{
    if (a.keys().size() != b.keys().size())
        return false;
    auto ia = a.keys().begin();
    auto ib = b.keys().begin();
    for (; ia != a.keys().end(); ++ia, ++ib) {
        if (ia->first != ib->first || ia->second.path != ib->second.path)
            return false;
        const auto& va = ia->second.values;
        const auto& vb2 = ib->second.values;
        if (va.size() != vb2.size())
            return false;
        for (std::size_t i = 0; i < va.size(); ++i) {
            if (va[i].name != vb2[i].name || va[i].type != vb2[i].type || va[i].data != vb2[i].data)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto doc = vb::RegistryDocument::parse(bytes, &error);
    if (!doc) {
        check(!error.isEmpty(), "a refused file gives no reason");
        return 0;
    }

    for (const auto& [sort, key] : doc->keys()) {
        check(doc->keyExists(key.path), "a parsed key does not exist");
        for (const vb::RegistryValue& v : key.values) {
            const vb::RegistryValue* found = doc->value(key.path, v.name);
            check(found && found->type == v.type && found->data == v.data, "a parsed value cannot be found");
        }
    }

    const QByteArray written = doc->serialize();
    QString rereadError;
    const auto reread = vb::RegistryDocument::parse(written, &rereadError);
    check(reread.has_value(), "the written file does not parse");
    check(sameRegistry(*doc, *reread), "the written file reads back differently");
    check(reread->serialize() == written, "writing twice gives different files");
    return 0;
}
