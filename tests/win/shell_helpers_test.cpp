// The shell helpers: the recycle bin, the help viewer's loading, where
// libraries may come from, and the COM apartment the shell's calls need.
#include "base/com_apartment.h"
#include "base/page_kit.h"
#include "base/shell_helpers.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>
#include <thread>
#include <vector>

namespace quenzel {
namespace {

constexpr FILEOP_FLAGS ToRecycleBin = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;

std::wstring TempFolder(const wchar_t* name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
}

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

TEST(ShellFileOperation, TrailingBackslashSendsTheFolderToTheRecycleBin)
{
    const std::wstring folder = TempFolder(L"quenzel-recycle-");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(uitest::WriteFileBytes(folder + L"\\inside.txt", "data"));
    const std::wstring withSlash = folder + L"\\";
    EXPECT_TRUE(ShellFileOperation(withSlash.c_str(), ToRecycleBin, nullptr, FO_DELETE));
    EXPECT_FALSE(uitest::FileExists(folder));
    const std::wstring trash = uitest::TrashFolder();
    ASSERT_FALSE(trash.empty());
    const std::wstring binned = trash + L"\\" + PathFindFileNameW(folder.c_str());
    EXPECT_TRUE(uitest::FileExists(binned + L"\\inside.txt")) << uitest::Narrow(binned);
    uitest::RemoveTree(binned);
    uitest::RemoveTree(folder);
}

TEST(ShellFileOperation, OneFileGoesAndTheCallersPathStays)
{
    const std::wstring file = TempFolder(L"quenzel-recycle-file-") + L".txt";
    ASSERT_TRUE(uitest::WriteFileBytes(file, "data"));
    const std::wstring before = file;
    EXPECT_TRUE(ShellFileOperation(file.c_str(), ToRecycleBin, nullptr, FO_DELETE));
    EXPECT_FALSE(uitest::FileExists(file));
    EXPECT_EQ(file, before);
    const std::wstring binned = uitest::TrashFolder() + L"\\" + PathFindFileNameW(file.c_str());
    EXPECT_TRUE(uitest::FileExists(binned)) << uitest::Narrow(binned);
    DeleteFileW(binned.c_str());
    EXPECT_FALSE(ShellFileOperation(L"", ToRecycleBin, nullptr, FO_DELETE));
}

std::vector<std::wstring> LoadAttempts;

HMODULE FailingLoad(const std::wstring& path)
{
    LoadAttempts.push_back(path);
    return nullptr;
}

std::wstring PlantedRegistryPath()
{
    return L"C:\\viewer\\hhctrl.ocx";
}

std::wstring NoRegistryPath()
{
    return {};
}

TEST(ShowHelpTopic, AMissingViewerIsLookedForOnceFromFullPathsOnly)
{
    LoadAttempts.clear();
    ResetHelpViewer({FailingLoad, PlantedRegistryPath});
    EXPECT_EQ(ShowHelpTopic(nullptr, L"help.chm", 15, 1), nullptr);
    EXPECT_EQ(ShowHelpTopic(nullptr, L"help.chm", 15, 2), nullptr);
    ASSERT_EQ(LoadAttempts.size(), 2u);
    EXPECT_EQ(LoadAttempts[0], L"C:\\viewer\\hhctrl.ocx");
    EXPECT_EQ(LoadAttempts[1], SystemFolder() + L"\\hhctrl.ocx");

    LoadAttempts.clear();
    ResetHelpViewer({FailingLoad, NoRegistryPath});
    EXPECT_EQ(ShowHelpTopic(nullptr, L"help.chm", 15, 1), nullptr);
    ASSERT_EQ(LoadAttempts.size(), 1u);
    EXPECT_EQ(LoadAttempts[0], SystemFolder() + L"\\hhctrl.ocx");
}

TEST(ShowHelpTopic, TheRegisteredViewerPathIsFullOrIgnored)
{
    const std::wstring path = RegisteredHelpViewerPath();
    if (!path.empty()) {
        EXPECT_FALSE(PathIsRelativeW(path.c_str())) << uitest::Narrow(path);
    }
}

class PlantedLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = TempFolder(L"quenzel-planted-");
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        const std::wstring built = uitest::HostToWindowsPath(QUENZEL_PLANTED_DLL);
        ASSERT_TRUE(CopyFileW(built.c_str(), (folder_ + L"\\planted_probe.dll").c_str(), FALSE));
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        previous_ = current;
        ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryW(previous_.c_str());
        uitest::RemoveTree(folder_);
    }
    std::wstring folder_;
    std::wstring previous_;
};

TEST_F(PlantedLibrary, IsNeverLoadedFromTheCurrentFolder)
{
    // Without the restriction the planted library loads: the test can fail.
    HMODULE before = LoadLibraryW(L"planted_probe.dll");
    ASSERT_NE(before, nullptr);
    FreeLibrary(before);
    EXPECT_EQ(LoadSystemLibrary(L"planted_probe.dll"), nullptr);

    RestrictLibrarySearch();
    EXPECT_EQ(LoadLibraryW(L"planted_probe.dll"), nullptr);

    HMODULE system = LoadSystemLibrary(L"msimg32.dll");
    ASSERT_NE(system, nullptr);
    wchar_t loaded[MAX_PATH] = L"";
    GetModuleFileNameW(system, loaded, MAX_PATH);
    const std::wstring systemFolder = SystemFolder();
    EXPECT_EQ(CompareStringOrdinal(loaded, static_cast<int>(systemFolder.size()), systemFolder.c_str(),
                                   static_cast<int>(systemFolder.size()), TRUE),
              CSTR_EQUAL)
        << uitest::Narrow(loaded);
    FreeLibrary(system);
}

// What CoInitializeEx answers the calling thread in `mode`; balanced.
HRESULT ApartmentAnswer(DWORD mode)
{
    const HRESULT answer = CoInitializeEx(nullptr, mode);
    if (SUCCEEDED(answer))
        CoUninitialize();
    return answer;
}

struct ApartmentSeen {
    HRESULT entered = E_FAIL;
    bool singleThreaded = false;
    HRESULT inside = E_FAIL; // a single-threaded entry within the scope
    HRESULT after = E_FAIL;  // a multithreaded entry after it
};

// A fresh thread (already in the multithreaded apartment when `inMta`)
// holds a ComApartment and asks again inside and after it.
ApartmentSeen SeenOnFreshThread(bool inMta)
{
    ApartmentSeen seen;
    std::thread([&seen, inMta] {
        const HRESULT outer = inMta ? CoInitializeEx(nullptr, COINIT_MULTITHREADED) : E_FAIL;
        {
            const ComApartment apartment;
            seen.entered = apartment.Result();
            seen.singleThreaded = apartment.SingleThreaded();
            seen.inside = ApartmentAnswer(COINIT_APARTMENTTHREADED);
        }
        seen.after = ApartmentAnswer(COINIT_MULTITHREADED);
        if (SUCCEEDED(outer))
            CoUninitialize();
    }).join();
    return seen;
}

TEST(ComApartment, EntersASingleThreadedApartmentAndLeavesItBalanced)
{
    const ApartmentSeen fresh = SeenOnFreshThread(false);
    EXPECT_EQ(fresh.entered, S_OK);
    EXPECT_TRUE(fresh.singleThreaded);
    EXPECT_EQ(fresh.inside, S_FALSE);
    EXPECT_EQ(fresh.after, S_OK); // left: the thread chooses its apartment again

    // A thread in the multithreaded apartment stays there, its count untouched.
    const ApartmentSeen multi = SeenOnFreshThread(true);
    EXPECT_EQ(multi.entered, RPC_E_CHANGED_MODE);
    EXPECT_FALSE(multi.singleThreaded);
    EXPECT_EQ(multi.inside, RPC_E_CHANGED_MODE);
    EXPECT_EQ(multi.after, S_FALSE);
}

struct WorkerApartment {
    HANDLE done;
    HRESULT answer;
};

DWORD WINAPI AskApartmentWorker(void* parameter)
{
    auto* seen = static_cast<WorkerApartment*>(parameter);
    seen->answer = ApartmentAnswer(COINIT_APARTMENTTHREADED);
    SetEvent(seen->done);
    return 0;
}

TEST(ComApartment, EveryWorkerLivesInASingleThreadedApartment)
{
    constexpr DWORD WorkerWaitMs = 10000;
    WorkerApartment seen{CreateEventW(nullptr, TRUE, FALSE, nullptr), E_FAIL};
    ASSERT_NE(seen.done, nullptr);
    ASSERT_TRUE(StartWorker(AskApartmentWorker, &seen));
    EXPECT_EQ(WaitForSingleObject(seen.done, WorkerWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(seen.answer, S_FALSE); // in one already
    CloseHandle(seen.done);
}

} // namespace
} // namespace quenzel
