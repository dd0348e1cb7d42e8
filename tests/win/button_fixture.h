// A parent window in the test process for ButtonEx tests, the clicks it hears
// of, and captures of a button painted into a memory bitmap.
#pragma once

#include "controls/button_ex.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace buttontest {

struct Command {
    int id;
    int code;
    HWND from;
    bool repaintedFirst; // the button had nothing left to paint when the parent heard of it
};

// The clicks the parent window received, oldest first.
std::vector<Command>& Commands();

// A button's client area painted (background, then look) into a bitmap.
class Capture {
public:
    explicit Capture(HWND button);
    COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Smallest rectangle holding every pixel of `color`; empty when none.
    RECT BoundsOf(COLORREF color) const;
    bool Has(COLORREF color) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Make(const wchar_t* text, DWORD style, int width = 110, int height = 40, int id = 0);
    // A press and release inside the button, as the mouse would send them.
    void Click(HWND button);
    // Moves the pointer over (or away from) a flat button and tells it so.
    void Hover(HWND button, bool inside);

    HWND parent_ = nullptr;
    int nextId_ = 100;
    int nextY_ = 0;
};

// A solid-colour bitmap, owned by the caller.
HBITMAP SolidBitmap(int width, int height, COLORREF color);
// The caption's size in the button's font.
SIZE TextSize(HWND button, const wchar_t* shown);

inline constexpr COLORREF Red = RGB(255, 0, 0);
// The parent destroys a button of this id when it hears of its click.
inline constexpr int DestroyOnClickId = 999;

} // namespace buttontest
