// The library through its exports, as a file manager sees it: the class
// factory, the context-menu object's two interfaces, the counts that decide
// unloading, the menu item and its strings.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "shell_test_util.h"
#include "shellext/shared/com_layout.h"

namespace vig::shell {
namespace {

using test::Library;

// A data object whose references the test can count. Its memory outlives
// the count: when the last reference goes it is only marked gone, and any
// later use of it is counted.
class CountedData final : public IDataObject {
public:
    explicit CountedData(std::vector<std::string> paths) : inner_(new CFileDataObject(paths)) {}
    ~CountedData() { inner_->Release(); }
    HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override {
        if (gone) ++usedWhenGone;
        return ++refs;
    }
    ULONG Release() override {
        if (gone) ++usedWhenGone;
        if (--refs == 0) gone = true;
        return refs;
    }
    HRESULT GetData(const FORMATETC* f, STGMEDIUM* m) override {
        if (gone) ++usedWhenGone;
        return inner_->GetData(f, m);
    }
    ULONG refs = 1;
    bool gone = false;
    int usedWhenGone = 0;

private:
    CFileDataObject* inner_;
};

class Menu final : public IMenu {
public:
    bool InsertItemByPosition(UINT position, UINT id, const char* text) override {
        items.push_back({position, id, text});
        return true;
    }
    struct Item {
        UINT position, id;
        std::string text;
    };
    std::vector<Item> items;
};

IClassFactory* Factory() {
    void* pv = nullptr;
    EXPECT_EQ(Library().getClassObject(CLSID_ShellExtension, IID_IClassFactory, &pv), S_OK);
    return static_cast<IClassFactory*>(pv);
}

// A new object, asked for `riid`.
template <typename T>
T* Create(const IID& riid) {
    IClassFactory* factory = Factory();
    void* pv = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, riid, &pv), S_OK);
    factory->Release();
    return static_cast<T*>(pv);
}

// An object initialised with these paths, as its context menu.
IContextMenu* MenuFor(const std::vector<std::string>& paths) {
    auto* init = Create<IShellExtInit>(IID_IShellExtInit);
    auto* data = new CFileDataObject(paths);
    EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
    data->Release();
    void* pv = nullptr;
    EXPECT_EQ(init->QueryInterface(IID_IContextMenu, &pv), S_OK);
    init->Release();
    return static_cast<IContextMenu*>(pv);
}

TEST(ShellServer, MayUnloadExactlyWhenNoFactoryAndNoObjectIsAlive) {
    EXPECT_EQ(Library().canUnloadNow(), S_OK);
    IClassFactory* factory = Factory();
    EXPECT_EQ(Library().canUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    void* pv = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, &pv), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(Library().canUnloadNow(), S_FALSE);  // the object keeps it
    auto* menu = static_cast<IContextMenu*>(pv);
    EXPECT_EQ(menu->AddRef(), 2u);
    EXPECT_EQ(menu->Release(), 1u);
    EXPECT_EQ(menu->Release(), 0u);
    EXPECT_EQ(Library().canUnloadNow(), S_OK);
}

TEST(ShellServer, RefusalsClearTheOutPointerAndLeaveNothingAlive) {
    const CLSID other = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    void* pv = &pv;
    EXPECT_EQ(Library().getClassObject(other, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pv, nullptr);
    pv = &pv;
    EXPECT_EQ(Library().getClassObject(CLSID_ShellExtension, IID_IContextMenu, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);

    IClassFactory* factory = Factory();
    pv = &pv;
    EXPECT_EQ(factory->QueryInterface(IID_IDataObject, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    pv = &pv;
    EXPECT_EQ(factory->CreateInstance(factory, IID_IContextMenu, &pv), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pv, nullptr);
    pv = &pv;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    factory->Release();
    EXPECT_EQ(Library().canUnloadNow(), S_OK);
}

TEST(ShellServer, BothInterfacesShareOneIdentityAndUnknownMeansTheInitInterface) {
    auto* menu = Create<IContextMenu>(IID_IContextMenu);
    void *init = nullptr, *unknown = nullptr, *again = nullptr, *none = &none;
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, &init), S_OK);
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, init);
    EXPECT_NE(unknown, static_cast<void*>(menu));
    // The init interface's first three slots reach the same count.
    ASSERT_EQ(static_cast<IShellExtInit*>(init)->QueryInterface(IID_IContextMenu, &again), S_OK);
    EXPECT_EQ(again, static_cast<void*>(menu));
    EXPECT_EQ(menu->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(static_cast<IShellExtInit*>(init)->Release(), 3u);
    EXPECT_EQ(static_cast<IShellExtInit*>(unknown)->Release(), 2u);
    EXPECT_EQ(static_cast<IContextMenu*>(again)->Release(), 1u);
    EXPECT_EQ(menu->Release(), 0u);
}

TEST(ShellServer, HoldsOneReferenceToTheLatestSelectionAndDropsItWhenDone) {
    CountedData first({"/p/a.jpg"}), second({"/p/b.txt"});
    auto* init = Create<IShellExtInit>(IID_IShellExtInit);
    ASSERT_EQ(init->Initialize(nullptr, &first, nullptr), S_OK);
    EXPECT_EQ(first.refs, 2u);
    ASSERT_EQ(init->Initialize(nullptr, &first, nullptr), S_OK);  // the same one again
    EXPECT_EQ(first.refs, 2u);
    ASSERT_EQ(init->Initialize(nullptr, &second, nullptr), S_OK);
    EXPECT_EQ(first.refs, 1u);
    EXPECT_EQ(second.refs, 2u);
    init->Release();
    EXPECT_EQ(second.refs, 1u);

    // The object's reference the only one left, and the same data handed
    // in again: it stays alive, held once.
    CountedData only({"/p/c.jpg"});
    init = Create<IShellExtInit>(IID_IShellExtInit);
    ASSERT_EQ(init->Initialize(nullptr, &only, nullptr), S_OK);
    EXPECT_EQ(only.Release(), 1u);
    ASSERT_EQ(init->Initialize(nullptr, &only, nullptr), S_OK);
    EXPECT_FALSE(only.gone);
    EXPECT_EQ(only.refs, 1u);
    init->Release();
    EXPECT_TRUE(only.gone);
    for (const CountedData* d : {&first, &second, &only}) EXPECT_EQ(d->usedWhenGone, 0);
}

TEST(ShellServer, ReadsALargeSelectionInOnePass) {
    // The only image comes last, so the item shows that every path was read.
    std::vector<std::string> paths;
    for (int i = 0; i < 40001; ++i)
        paths.push_back("/home/someone/Pictures/a folder of notes/note " + std::to_string(i) +
                        ".txt");
    paths.push_back("/home/someone/Pictures/last.jpg");
    const auto start = std::chrono::steady_clock::now();
    IContextMenu* menu = MenuFor(paths);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    Menu items;
    EXPECT_EQ(menu->QueryContextMenu(&items, 0, 1, 2, CMF_NORMAL), 1);
    menu->Release();
    // A pass per path takes seconds here; one pass takes milliseconds.
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000))
        << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms";
}

TEST(ShellMenu, OffersTheItemByFlagsAndSelection) {
    const std::vector<std::string> image = {"/p/a.txt", "/p/b.JPG", "/p/c.txt"};
    const struct {
        UINT flags;
        std::vector<std::string> paths;
        HRESULT items;
    } rows[] = {
        {CMF_NORMAL, image, 1},
        {CMF_DEFAULTONLY, image, 0},
        {CMF_VERBSONLY, image, 1},
        {CMF_DEFAULTONLY | CMF_VERBSONLY, image, 1},
        {CMF_EXPLORE, image, 1},
        {CMF_NOVERBS, image, 0},
        {0x100 | CMF_EXPLORE, image, 1},  // bits above the low four play no part
        {CMF_NORMAL, {"/tmp", "/home/someone/pictures"}, 0},
        {CMF_NORMAL, {"/p/a.jpeg", "/p/b.tiff", "/p/noext"}, 0},
        {CMF_NORMAL, {"/p/x.Png"}, 1},
        {CMF_NORMAL, {"/p/x.gif", "/p/x.bmp"}, 1},
        {CMF_NORMAL, {"/p/x.pcX"}, 1},
        {CMF_NORMAL, {"/p/x.TIF"}, 1},
        {CMF_NORMAL, {"/p/x.HEIC"}, 1},
        {CMF_NORMAL, {"/p/x.heif"}, 1},
        {CMF_NORMAL, {"/p/x.hif"}, 1},
        {CMF_NORMAL, {"/p/x.Avif"}, 1},
        {CMF_NORMAL, {"/p/x.webp"}, 1},
        {CMF_NORMAL, {"/p/x.heics", "/p/x.webm"}, 0},
        {CMF_NORMAL, {"/p.jpg/readme"}, 0},  // the extension runs from the last dot
        {CMF_NORMAL, {}, 0},
    };
    for (const auto& r : rows) {
        IContextMenu* menu = MenuFor(r.paths);
        Menu items;
        EXPECT_EQ(menu->QueryContextMenu(&items, 4, 100, 200, r.flags), r.items) << r.flags;
        ASSERT_EQ(items.items.size(), static_cast<size_t>(r.items));
        if (r.items == 1) {
            EXPECT_EQ(items.items[0].position, 4u);
            EXPECT_EQ(items.items[0].id, 100u);
            EXPECT_EQ(items.items[0].text, "&Snapshrink...");
        }
        EXPECT_EQ(menu->QueryContextMenu(nullptr, 0, 1, 2, r.flags), 0);
        menu->Release();
    }
}

TEST(ShellMenu, GivesItsVerbAndHelpTextCutToTheBuffer) {
    IContextMenu* menu = MenuFor({"/p/a.jpg"});
    const struct {
        uintptr_t id;
        UINT type, size;
        const char* expected;
    } rows[] = {
        {0, GCS_VERBA, 64, "VigVig"},
        {0, GCS_HELPTEXTA, 64, "Create image thumbnail using Vignettor"},
        {0, GCS_HELPTEXTA, 7, "Create"},
        {0, GCS_VERBA, 0, "untouched"},
        {1, GCS_VERBA, 64, "untouched"},
        {0, 4, 64, "untouched"},
    };
    for (const auto& r : rows) {
        char buffer[64] = "untouched";
        EXPECT_EQ(menu->GetCommandString(r.id, r.type, nullptr, buffer, r.size), S_OK);
        EXPECT_STREQ(buffer, r.expected);
    }
    // Verbs given as text, and other offsets, run nothing.
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    for (const char* verb : {"VigVig", MakeIntVerb(1)}) {
        info.lpVerb = verb;
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    }
    menu->Release();
}

}  // namespace
}  // namespace vig::shell
