// The courier between a worker and the window's thread: what the worker
// says reaches the desk on the window's thread in the order said, notes
// before a later question or report; answers and failures come back.
#include "base/courier.h"
#include "base/list_filler.h"
#include "base/page_info.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/status.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quenzel {
namespace {

class RecordingDesk : public CourierDesk {
public:
    std::vector<bool> answers; // to the questions, in turn
    std::vector<std::wstring> log;
    bool offThread = false; // something reached the desk on another thread

    void Deliver(const CourierNote& n) override
    {
        Record(L"note " + std::to_wstring(static_cast<int>(n.kind)) + L" " + std::to_wstring(n.target) + L" "
               + std::to_wstring(n.value) + L" " + n.text);
    }
    bool Ask(const std::wstring& question, const std::wstring& caption, bool defaultNo) override
    {
        Record(L"ask " + question + L" " + caption + (defaultNo ? L" no" : L" yes"));
        return asked_ < answers.size() && answers[asked_++];
    }
    void Report(const std::wstring& text, const std::wstring& caption, ReportKind kind) override
    {
        Record(L"report " + text + L" " + caption + (kind == ReportKind::Warning ? L" warning" : L" info"));
    }

private:
    void Record(const std::wstring& entry)
    {
        offThread |= GetCurrentThreadId() != thread_;
        log.push_back(entry);
    }
    const DWORD thread_ = GetCurrentThreadId();
    size_t asked_ = 0;
};

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return IsCourierMessage(message) ? HandleCourierMessage(message, wParam, lParam)
                                     : DefWindowProcW(window, message, wParam, lParam);
}

class CourierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Instance = Instance ? Instance : GetModuleHandleW(nullptr);
        window_ = CreateMessageWindow(L"QuenzelCourierTest", TestWindowProc);
        ASSERT_NE(window_, nullptr);
        SetCourierWindow(window_);
        SetCourierDesk(&desk_);
    }
    void TearDown() override
    {
        SetCourierDesk(nullptr);
        SetCourierWindow(nullptr);
        if (window_)
            DestroyWindow(window_);
        EXPECT_FALSE(desk_.offThread);
    }

    // Runs `work` on a worker while this thread delivers what it posts, up to its end.
    static void RunOnWorker(const std::function<void()>& work)
    {
        const DWORD self = GetCurrentThreadId();
        std::thread worker([&] {
            work();
            PostThreadMessageW(self, WM_QUIT, 0, 0);
        });
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        worker.join();
    }

    RecordingDesk desk_;
    HWND window_ = nullptr;
};

// Calls run on the window's thread after the notes before them; a call's
// failure reaches the worker.
TEST_F(CourierTest, AWorkerIsHeardInOrderAndGetsItsAnswers)
{
    desk_.answers = {true, false};
    const DWORD windowThread = GetCurrentThreadId();
    DWORD callThread = 0;
    size_t heardBeforeCall = 0;
    RunOnWorker([&] {
        PostBarRange(7, 40);
        for (int position = 0; position < 50; ++position)
            PostBarPosition(7, position);
        PostStatusText(1, L"file.txt");
        EXPECT_TRUE(AskOnWindow(L"replace?", L"c", true));
        PostBarStep(7);
        PostCall([&] { desk_.log.push_back(GetCurrentThreadId() == windowThread ? L"posted call" : L"off thread"); });
        PostBarShown(7, false);
        EXPECT_EQ(FromWindowThread<int>([&] {
                      callThread = GetCurrentThreadId();
                      heardBeforeCall = desk_.log.size();
                      return 42;
                  }),
                  42);
        EXPECT_THROW(OnWindowThread([] { throw std::runtime_error("out of luck"); }), std::runtime_error);
        EXPECT_FALSE(AskOnWindow(L"go on?", L"c", false));
        ReportOnWindow(L"done", L"c", ReportKind::Information);
        PostStatusText(0, L"last");
    });
    std::vector<std::wstring> expected = {L"note 0 7 40 "};
    for (int position = 0; position < 50; ++position)
        expected.push_back(L"note 1 7 " + std::to_wstring(position) + L" ");
    expected.insert(expected.end(),
                    {L"note 4 1 0 file.txt", L"ask replace? c no", L"note 2 7 0 ", L"posted call", L"note 3 7 0 ",
                     L"ask go on? c yes", L"report done c info", L"note 4 0 0 last"});
    EXPECT_EQ(desk_.log, expected);
    EXPECT_EQ(callThread, windowThread);
    EXPECT_EQ(heardBeforeCall, expected.size() - 3) << "the notes before the call reach the desk first";
}

TEST_F(CourierTest, OnTheWindowThreadItselfEverythingHappensAtOnce)
{
    desk_.answers = {true};
    PostBarPosition(3, 9);
    EXPECT_EQ(desk_.log.size(), 1u);
    EXPECT_TRUE(AskOnWindow(L"q", L"c", false));
    ReportOnWindow(L"r", L"c", ReportKind::Warning);
    EXPECT_EQ(desk_.log, (std::vector<std::wstring>{L"note 1 3 9 ", L"ask q c yes", L"report r c warning"}));
}

// A window gone leaves a worker's call undone, never run on the worker.
TEST_F(CourierTest, AWindowGoneEndsTheWorkersRequest)
{
    ASSERT_TRUE(DestroyWindow(window_));
    window_ = nullptr;
    bool ran = false;
    std::thread worker([&] {
        EXPECT_THROW(OnWindowThread([&ran] { ran = true; }), WindowGone);
        EXPECT_THROW(AskOnWindow(L"q", L"c", false), WindowGone);
    });
    worker.join();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(desk_.log.empty());
}

// A worker's information line reaches the status bar only while its page is
// shown; the page shows its latest line when it comes back.
TEST_F(CourierTest, AnInformationLineWaitsForItsPage)
{
    const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                        Instance, nullptr);
    ASSERT_TRUE(parent && CreateStatusBar(parent, L"", 3));
    const auto infoLine = [] {
        wchar_t text[64] = {};
        SendMessageW(StatusBar(), SB_GETTEXTW, StatusInfoPart, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    const int page = 1;
    const int shownBefore = CurrentPage;
    PageInfo info(page, 0);
    CurrentPage = page + 1;
    SetStatusText(L"the other page's line", 0, StatusInfoPart);
    RunOnWorker([&] { info.SetPageInfoText(L"7 files"); });
    EXPECT_EQ(infoLine(), L"the other page's line");
    CurrentPage = page;
    info.ShowPageInfoText();
    EXPECT_EQ(infoLine(), L"7 files");
    RunOnWorker([&] { info.SetPageInfoText(L"8 files"); });
    EXPECT_EQ(infoLine(), L"8 files");
    CurrentPage = shownBefore;
    DestroyWindow(parent);
}

// The main window hands the courier's messages to the courier first: the
// listing's times are asked for with a message of its own.
TEST(CourierMessages, LeaveTheListTimeMessageToTheMainWindow)
{
    EXPECT_FALSE(IsCourierMessage(ListTimeMessage));
}

} // namespace
} // namespace quenzel
