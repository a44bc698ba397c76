#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/content/CContentManager.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/io/CFileSystem.h"
#include "engine/io/CMemoryFile.h"
#include "tests/support/TestSupport.h"

using namespace oskel;

namespace {

constexpr u32 kTextType = makeTypeCode('t', 'e', 'x', 't');
constexpr u32 kOtherType = makeTypeCode('o', 't', 'h', 'r');

// A resource holding a file's text. Its first character sets its sharing: 'S' shared, 'N' not
// cached, anything else cloned per request.
class TextResource : public CResource {
public:
    TextResource(const CCreationContext& context, std::string text, u32 type = kTextType)
        : CResource(context), text(std::move(text)), type(type) {
        if (!this->text.empty() && this->text[0] == 'S') setSharingFlags(ERF_SHARED);
        if (!this->text.empty() && this->text[0] == 'N') setSharingFlags(ERF_NOT_CACHED);
    }
    CResource* clone() const override {
        return new TextResource(getCreationContext(), text, type);
    }
    u32 getTypeCode() const override { return type; }
    std::string text;
    u32 type;
};

class TextProcessor : public IContentProcessor {
public:
    explicit TextProcessor(u32 type = kTextType, s32 priority = 0, std::vector<std::string>* calls = nullptr)
        : type(type), priority(priority), calls(calls) {}
    s32 getPriority() const override { return priority; }
    u32 getTypeCode() const override { return type; }
    CResource* load(IContentManager*, IReadableFile* file, const CCreationContext& context) override {
        ++loads;
        std::string text(static_cast<size_t>(file->getSize()), '\0');
        file->read(text.data(), static_cast<u32>(text.size()));
        if (text == "fail") return nullptr;
        return new TextResource(context, text, type);
    }
    bool canSave(const CResource* resource) const override {
        return resource && static_cast<const TextResource*>(resource)->text != "refuse";
    }
    bool save(IContentManager*, CResource* resource, IWritableFile* file, void*) override {
        const std::string& text = static_cast<TextResource*>(resource)->text;
        const bool written = file->write(text.data(), static_cast<u32>(text.size())) == static_cast<s32>(text.size());
        return written && text.rfind("broken", 0) != 0;  // "broken..." is written, then fails
    }
    void onContentEvent(CEvent* event, ContentNameMap& cache) override {
        if (calls)
            calls->push_back(std::to_string(priority) + ":" + std::to_string(event->getTypeId()) + ":" +
                             std::to_string(cache.size()));
    }
    u32 type;
    s32 priority;
    std::vector<std::string>* calls;
    int loads = 0;
};

struct ContentFixture : ::testing::Test {
    std::filesystem::path dir;
    CFileSystem* fs = new CFileSystemLinux();
    CContentProcessorsManager* processors = new CContentProcessorsManager();
    TextProcessor* text = new TextProcessor();
    CContentManager* cm = nullptr;

    ContentFixture() {
        dir = std::filesystem::temp_directory_path() /
              ("oskel-content-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        processors->registerProcessor(text);
        cm = new CContentManager(fs, processors);
    }
    ~ContentFixture() override {
        cm->drop();
        text->drop();
        processors->drop();
        fs->drop();
        std::filesystem::remove_all(dir);
    }
    stringc put(const std::string& name, const std::string& content) {
        const std::filesystem::path p = dir / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return stringc(p.string().c_str());
    }
    TextResource* get(const stringc& path, bool relative = false, u32 type = kTextType) {
        return static_cast<TextResource*>(cm->getContentByPath(type, path, relative));
    }
};

}  // namespace

TEST_F(ContentFixture, SharedResourcesAreOneObjectWithAReferencePerCaller) {
    const stringc path = put("a.txt", "Shared");
    TextResource* a = get(path);
    TextResource* b = get(path);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->getReferenceCount(), 3);  // the cache and two callers
    EXPECT_EQ(text->loads, 1);
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, path)), a);
    EXPECT_EQ(a->getContentManager(), cm);
    EXPECT_STREQ(a->getName().c_str(), path.c_str());
    a->drop();
    b->drop();
    EXPECT_EQ(a->getReferenceCount(), 1);
}

TEST_F(ContentFixture, ClonedResourcesNeverHandOutThePrototype) {
    const stringc path = put("scene.txt", "Clone me");
    TextResource* a = get(path);
    TextResource* b = get(path);
    CResource* prototype = cm->findContent(kTextType, CCreationContext(cm, path));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(a, prototype);
    EXPECT_NE(b, prototype);
    EXPECT_EQ(a->text, "Clone me");
    EXPECT_EQ(text->loads, 1);
    EXPECT_EQ(a->getReferenceCount(), 1);
    EXPECT_EQ(prototype->getReferenceCount(), 1);
    a->drop();
    b->drop();
}

TEST_F(ContentFixture, NotCachedResourcesAreLoadedEveryTime) {
    const stringc path = put("collection.txt", "Not cached");
    TextResource* a = get(path);
    TextResource* b = get(path);
    EXPECT_NE(a, b);
    EXPECT_EQ(text->loads, 2);
    EXPECT_EQ(cm->getCachedCount(kTextType), 0u);
    EXPECT_EQ(a->getReferenceCount(), 1);
    a->drop();
    b->drop();
}

TEST_F(ContentFixture, MissingPathsFilesAndFailedLoads) {
    test::LogCapture logs;
    EXPECT_EQ(get(""), nullptr);
    EXPECT_EQ(get(stringc((dir / "nothing.txt").string().c_str())), nullptr);
    EXPECT_EQ(get(put("bad.txt", "fail")), nullptr);
    EXPECT_EQ(text->loads, 1);
    EXPECT_TRUE(logs.lines().empty());

    // A type without a processor says so, with the decimal type code.
    EXPECT_EQ(get(put("font.ofnt", "x"), false, TypeCodeFont), nullptr);
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].text, "CContentManager");
    EXPECT_EQ(logs.lines()[0].hint, "IContentProcessor for the content " +
                                        std::string(put("font.ofnt", "x").c_str()) +
                                        " and type #1953394534 not found");
    EXPECT_EQ(logs.lines()[0].level, LogWarning);
    EXPECT_EQ(cm->getContent(kTextType, nullptr), nullptr);
}

TEST_F(ContentFixture, RelativeNamesResolveAgainstThePathStack) {
    put("scenes/images/a.png", "Shared image");
    cm->pushPath(stringc((dir / "scenes/menu/Main.oscn").string().c_str()));
    TextResource* r = get("../images/a.png", true);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->getName(), stringc((dir / "scenes/images/a.png").string().c_str()));
    EXPECT_EQ(cm->getRelativePath(stringc((dir / "scenes/images/a.png").string().c_str())),
              stringc("../images/a.png"));
    r->drop();
    cm->popPath();
    cm->popPath();  // the bottom entry stays
    EXPECT_EQ(cm->getPathDepth(), 1u);
    EXPECT_EQ(cm->getAbsolutePath("x/y.png"), stringc("x/y.png"));
}

TEST_F(ContentFixture, ContentFromAnOpenFileIsKeyedByItsName) {
    char data[] = "Shared from memory";
    CMemoryFile* file = new CMemoryFile(data, 18, "memory/thing.txt", false);
    TextResource* a = static_cast<TextResource*>(cm->getContent(kTextType, file));
    file->seek(0);
    TextResource* b = static_cast<TextResource*>(cm->getContent(kTextType, file));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->text, "Shared from memory");
    EXPECT_EQ(get("memory/thing.txt"), a);  // the same key by path, without touching the disk
    a->drop();
    b->drop();
    a->drop();
    file->drop();
}

TEST_F(ContentFixture, RegistrationAndRelease) {
    TextResource* first = new TextResource(CCreationContext(cm, "reg/one"), "Shared");
    TextResource* second = new TextResource(CCreationContext(cm, "reg/one"), "Shared");
    EXPECT_TRUE(cm->registerContent(first));
    EXPECT_FALSE(cm->registerContent(second));
    EXPECT_EQ(first->getReferenceCount(), 2);
    EXPECT_EQ(second->getReferenceCount(), 1);
    // Registered under another name (as collections register their members).
    EXPECT_TRUE(cm->registerContentAs(CCreationContext(cm, "reg/alias"), second));
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, "reg/alias")), second);
    TextResource* notCached = new TextResource(CCreationContext(cm, "reg/n"), "Not cached");
    EXPECT_FALSE(cm->registerContent(notCached));
    EXPECT_FALSE(cm->registerContent(nullptr));

    // Unregistering drops what is stored under the resource's own name.
    cm->unregisterContent(second);  // its own name holds `first`
    EXPECT_EQ(first->getReferenceCount(), 1);
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, "reg/one")), nullptr);

    // freeUnreferenced keeps what others hold and frees the rest.
    TextResource* kept = new TextResource(CCreationContext(cm, "reg/kept"), "Shared");
    TextResource* loose = new TextResource(CCreationContext(cm, "reg/loose"), "Shared");
    cm->registerContent(kept);
    cm->registerContent(loose);
    loose->drop();
    cm->freeUnreferenced();
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, "reg/kept")), kept);
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, "reg/loose")), nullptr);
    EXPECT_EQ(cm->findContent(kTextType, CCreationContext(cm, "reg/alias")), second);
    cm->releaseAll();
    EXPECT_EQ(cm->getCachedCount(kTextType), 0u);
    EXPECT_EQ(kept->getReferenceCount(), 1);
    for (TextResource* r : {first, second, notCached, kept}) r->drop();
}

TEST_F(ContentFixture, CachingOffStillGivesTheCallerAReference) {
    const stringc path = put("off.txt", "Shared");
    TextResource* cached = get(path);
    cm->setCacheEnabled(false);
    EXPECT_FALSE(cm->isCacheEnabled());
    TextResource* again = get(path);
    EXPECT_EQ(again, cached);
    EXPECT_EQ(cached->getReferenceCount(), 3);
    again->drop();
    // A fresh load is not cached and belongs to the caller.
    TextResource* fresh = get(put("fresh.txt", "Shared"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getReferenceCount(), 1);
    EXPECT_EQ(cm->getCachedCount(kTextType), 1u);
    fresh->drop();
    cached->drop();
}

TEST_F(ContentFixture, SavingGoesThroughTheProcessor) {
    test::LogCapture logs;
    TextResource* r = new TextResource(CCreationContext(cm, "x"), "Shared text");
    const stringc out((dir / "saved.txt").string().c_str());
    EXPECT_TRUE(cm->saveContent(kTextType, r, out, nullptr));
    std::ifstream in(out.c_str());
    std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "Shared text");
    EXPECT_FALSE(cm->saveContent(TypeCodeFont, r, out, nullptr));
    ASSERT_EQ(logs.lines().size(), 1u);
    EXPECT_EQ(logs.lines()[0].hint,
              "IContentProcessor for saving the content " + std::string(out.c_str()) +
                  " of type #1953394534 not found");
    r->drop();
}

// A save that fails, or that the processor refuses, leaves the target as it was and no file
// beside it.
TEST_F(ContentFixture, FailedSavesLeaveTheTargetAlone) {
    struct Case {
        const char* text;
        bool existing;
    };
    const Case cases[] = {{"broken half", true}, {"broken half", false}, {"refuse", true}, {"refuse", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.existing ? ", over a file" : ", no file"));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const stringc out = c.existing ? put("target.txt", "old content") : stringc((dir / "target.txt").string().c_str());
        TextResource* r = new TextResource(CCreationContext(cm, "x"), c.text);
        EXPECT_FALSE(cm->saveContent(kTextType, r, out, nullptr));
        r->drop();
        EXPECT_EQ(std::filesystem::exists(out.c_str()), c.existing);
        if (c.existing) {
            std::ifstream in(out.c_str());
            std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(kept, "old content");
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
                  c.existing ? 1 : 0);
    }
    // A good save replaces the old file.
    const stringc out = put("target.txt", "old content");
    TextResource* r = new TextResource(CCreationContext(cm, "x"), "new");
    EXPECT_TRUE(cm->saveContent(kTextType, r, out, nullptr));
    r->drop();
    std::ifstream in(out.c_str());
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "new");
}

TEST(ContentProcessors, RegistrationLookupAndDriverEvents) {
    test::LogCapture logs;
    CContentProcessorsManager* pm = new CContentProcessorsManager();
    TextProcessor* font = new TextProcessor(TypeCodeFont);
    TextProcessor* font2 = new TextProcessor(TypeCodeFont);
    pm->registerProcessor(font);
    pm->registerProcessor(font2);
    pm->registerProcessor(nullptr);
    EXPECT_EQ(pm->getProcessorCount(), 1u);
    EXPECT_EQ(pm->getProcessor(TypeCodeFont), font);
    EXPECT_EQ(pm->getProcessor(TypeCodeImage), nullptr);
    EXPECT_EQ(font2->getReferenceCount(), 1);
    EXPECT_TRUE(logs.contains("CContentProcessorsManager", LogWarning));
    EXPECT_EQ(logs.lines()[0].hint, "IContentProcessor for the type #1953394534 is already present");
    EXPECT_EQ(pm->getCategoryMask(), static_cast<u32>(CategoryDevice));
    font->drop();
    font2->drop();
    pm->drop();
}

TEST_F(ContentFixture, DeviceEventsReachTheProcessorsOfCachedTypesByPriority) {
    std::vector<std::string> calls;
    TextProcessor* late = new TextProcessor(kOtherType, 5, &calls);
    TextProcessor* unused = new TextProcessor(makeTypeCode('n', 'o', 'n', 'e'), -3, &calls);
    text->calls = &calls;
    text->priority = 1;
    processors->registerProcessor(late);
    processors->registerProcessor(unused);
    TextResource* a = get(put("a.txt", "Shared"));
    TextResource* b = get(put("b.txt", "Shared"), false, kOtherType);
    CEvent* e = new CEventDeviceVideoDriverReleasing();
    EXPECT_FALSE(cm->dispatchEvent(DispatchSelfThenChildren, e));
    e->drop();
    EXPECT_EQ(calls, (std::vector<std::string>{"1:9:1", "5:9:1"}));
    a->drop();
    b->drop();
    late->drop();
    unused->drop();
}

TEST_F(ContentFixture, FailedSavesLeaveNoFile) {
    TextResource* r = new TextResource(CCreationContext(cm, "x"), "broken half-written text");
    const stringc out((dir / "failed.txt").string().c_str());
    EXPECT_FALSE(cm->saveContent(kTextType, r, out, nullptr));
    EXPECT_FALSE(std::filesystem::exists(out.c_str()));
    // A file that was there stays as it was rather than being replaced by a broken one.
    put("failed.txt", "old");
    EXPECT_FALSE(cm->saveContent(kTextType, r, out, nullptr));
    std::ifstream kept(out.c_str());
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), "old");
    r->text = "fine";
    EXPECT_TRUE(cm->saveContent(kTextType, r, out, nullptr));
    EXPECT_TRUE(std::filesystem::exists(out.c_str()));
    r->drop();
}
