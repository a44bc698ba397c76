#pragma once

// A content manager for tests that has nothing and does nothing: test doubles override the few
// operations they need.

#include "engine/content/IContentManager.h"

namespace oskel::test {

class StubContentManager : public IContentManager {
public:
    void setCacheEnabled(bool) override {}
    bool isCacheEnabled() const override { return true; }
    CResource* getContent(u32, IReadableFile*) override { return nullptr; }
    CResource* getContentByPath(u32, const stringc&, bool) override { return nullptr; }
    CResource* findContent(u32, const CCreationContext&) const override { return nullptr; }
    bool saveContent(u32, CResource*, const stringc&, void*) override { return false; }
    bool registerContentAs(const CCreationContext&, CResource*) override { return false; }
    bool registerContent(CResource*) override { return false; }
    void unregisterContent(CResource*) override {}
    void freeUnreferenced() override {}
    void releaseAll() override {}
    void pushPath(const stringc&) override {}
    void popPath() override {}
    stringc getAbsolutePath(const stringc& path) const override { return path; }
    stringc getRelativePath(const stringc& path) const override { return path; }
};

}  // namespace oskel::test
