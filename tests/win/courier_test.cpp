// The courier between a worker and the window's thread: questions answered
// there reach the worker, notes arrive in the order posted and before a
// later question or report, and a failure on the window's thread is the
// worker's.
#include "base/courier.h"
#include "base/page_kit.h"
#include "base/process.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenzel {
namespace {

constexpr wchar_t TestWindowClass[] = L"QuenzelCourierTest";

// Everything the window's thread was handed, in order, as text.
class RecordingDesk : public CourierDesk {
public:
    std::vector<bool> answers; // the answers to the questions, in turn
    std::vector<std::wstring> log;
    DWORD lastThread = 0;

    void Deliver(const CourierNote& note) override
    {
        lastThread = GetCurrentThreadId();
        log.push_back(L"note " + std::to_wstring(static_cast<int>(note.kind)) + L" " + std::to_wstring(note.target)
                      + L" " + std::to_wstring(note.value) + L" " + note.text);
    }
    bool Ask(const std::wstring& question, const std::wstring& caption, bool defaultNo) override
    {
        lastThread = GetCurrentThreadId();
        log.push_back(L"ask " + question + L" " + caption + (defaultNo ? L" no" : L" yes"));
        const bool answer = asked_ < answers.size() && answers[asked_];
        ++asked_;
        return answer;
    }
    void Report(const std::wstring& text, const std::wstring& caption, ReportKind kind) override
    {
        lastThread = GetCurrentThreadId();
        log.push_back(L"report " + text + L" " + caption + (kind == ReportKind::Warning ? L" warning" : L" info"));
    }

private:
    size_t asked_ = 0;
};

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsCourierMessage(message))
        return HandleCourierMessage(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI RunWork(void* work)
{
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}

class CourierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Instance)
            Instance = GetModuleHandleW(nullptr);
        window_ = CreateMessageWindow(TestWindowClass, TestWindowProc);
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
    }

    // Runs `work` on a worker while this thread answers the courier, and
    // then delivers what is still posted.
    void RunOnWorker(const std::function<void()>& work)
    {
        HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
        ASSERT_NE(thread, nullptr);
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            PumpWaiting();
        CloseHandle(thread);
        PumpWaiting();
    }

    static void PumpWaiting()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }

    RecordingDesk desk_;
    HWND window_ = nullptr;
};

TEST_F(CourierTest, QuestionsAreAnsweredOnTheWindowThreadInTurn)
{
    struct Case {
        const wchar_t* question;
        bool defaultNo;
        bool answer;
    };
    const Case cases[] = {
        {L"replace?", true, true},
        {L"go on?", false, false},
        {L"delete?", true, false},
        {L"mount?", false, true},
    };
    for (const Case& c : cases)
        desk_.answers.push_back(c.answer);
    std::vector<bool> heard;
    RunOnWorker([&] {
        for (const Case& c : cases)
            heard.push_back(AskOnWindow(c.question, L"caption", c.defaultNo));
    });
    ASSERT_EQ(heard.size(), std::size(cases));
    ASSERT_EQ(desk_.log.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].question);
        EXPECT_EQ(heard[i], cases[i].answer);
        EXPECT_EQ(desk_.log[i],
                  std::wstring(L"ask ") + cases[i].question + L" caption" + (cases[i].defaultNo ? L" no" : L" yes"));
    }
    EXPECT_EQ(desk_.lastThread, GetCurrentThreadId());
}

TEST_F(CourierTest, NotesArriveInOrderAndBeforeALaterQuestionOrReport)
{
    desk_.answers = {true};
    bool yes = false;
    RunOnWorker([&yes] {
        PostBarRange(7, 40);
        for (int position = 0; position < 50; ++position)
            PostBarPosition(7, position);
        PostStatusText(1, L"file.txt");
        yes = AskOnWindow(L"q", L"c", true);
        PostBarStep(7);
        PostBarShown(7, false);
        ReportOnWindow(L"done", L"c", ReportKind::Information);
        PostStatusText(0, L"last");
    });
    std::vector<std::wstring> expected = {L"note 0 7 40 "};
    for (int position = 0; position < 50; ++position)
        expected.push_back(L"note 1 7 " + std::to_wstring(position) + L" ");
    expected.insert(expected.end(), {L"note 4 1 0 file.txt", L"ask q c no", L"note 2 7 0 ", L"note 3 7 0 ",
                                     L"report done c info", L"note 4 0 0 last"});
    EXPECT_EQ(desk_.log, expected);
    EXPECT_TRUE(yes);
    EXPECT_EQ(desk_.lastThread, GetCurrentThreadId());
}

TEST_F(CourierTest, ACallRunsOnTheWindowThreadAndItsFailureReachesTheWorker)
{
    DWORD callThread = 0;
    int value = 0;
    bool failureHeard = false;
    RunOnWorker([&] {
        value = FromWindowThread<int>([&callThread] {
            callThread = GetCurrentThreadId();
            return 42;
        });
        try {
            OnWindowThread([] { throw std::runtime_error("out of luck"); });
        } catch (const std::runtime_error&) {
            failureHeard = true;
        }
    });
    EXPECT_EQ(callThread, GetCurrentThreadId());
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(failureHeard);
}

TEST_F(CourierTest, OnTheWindowThreadItselfEverythingHappensAtOnce)
{
    desk_.answers = {true};
    PostBarPosition(3, 9);
    EXPECT_EQ(desk_.log, std::vector<std::wstring>{L"note 1 3 9 "});
    EXPECT_TRUE(AskOnWindow(L"q", L"c", false));
    ReportOnWindow(L"r", L"c", ReportKind::Warning);
    const std::vector<std::wstring> expected = {L"note 1 3 9 ", L"ask q c yes", L"report r c warning"};
    EXPECT_EQ(desk_.log, expected);
}

} // namespace
} // namespace quenzel
