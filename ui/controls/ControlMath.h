#pragma once
// Layout and value arithmetic of the standard controls, kept free of the
// control model and of <windows.h> so each rule can be tested on its own.
#include <cstdint>
#include <vector>

#include "graphics/UIRect.h"

// ---- slider bar ----

struct SliderPieces {
    DUIRect head, back, fore, tail, button;
};

// Orientation 1 = vertical, anything else horizontal. head/tail give the
// width (horizontal) or height (vertical) of the end pieces; the button keeps
// its skin size. The button's centre sits at value / maximum along the back.
SliderPieces SliderLayout(int orientation, const DUIRect& control, int headLength, int tailLength, int buttonWidth,
                          int buttonHeight, int maximum, int value);
// Below 0 becomes 0, above the maximum the maximum.
int ClampSliderValue(int value, int maximum);
// Dragging: the pointer's offset from the control's start over the control's
// length gives the value (pointer - start) / (length / maximum).
int SliderValueFromPointer(int pointer, int controlStart, int controlLength, int maximum);
// A click on the track: offset from the back's start over the back's length.
int SliderValueFromTrackClick(int offset, int backLength, int maximum);

// ---- progress ----

struct ProgressPieces {
    DUIRect background, head, body, tail;
};
// value = min(maximum, value) compared unsigned, as the control stores it.
unsigned ClampProgressValue(unsigned value, unsigned maximum);
ProgressPieces ProgressLayout(const DUIRect& control, int headWidth, int tailWidth, unsigned maximum, unsigned value);

// ---- colour select ----

// h in degrees (0..360, 360 = 0), s and v in 0..1 -> 0xFF000000 | R << 16 | G << 8 | B.
uint32_t HsvToArgb(float h, float s, float v);
// The inverse: h in 0..360, s and v in 0..1 of an RGB colour (alpha ignored).
void ArgbToHsv(uint32_t argb, float* h, float* s, float* v);
// Where the marker of the colour field sits for s and v.
void ColorFieldMarker(const DUIRect& field, float s, float v, int* x, int* y);
// The s and v a point of the field stands for (clamped into the field).
void ColorFieldValues(const DUIRect& field, int x, int y, float* s, float* v);
// The hue slider runs from 360 at the top to 0 at the bottom.
int HueSliderValue(float h);
float HueFromSliderValue(int sliderValue);

// ---- scroll bar ----

struct ScrollMetrics {
    int thumbStart = 0;   // offset of the thumb from the track's start
    int thumbLength = 0;  // 0 when everything fits (no thumb)
};
// total content length, page (visible) length, position 0..total-page, track length.
ScrollMetrics ScrollThumb(int total, int page, int position, int trackLength, int minThumb = 8);
int ClampScrollPosition(int position, int total, int page);
// Wheel deltas to whole units (pixels or rows): unitsPerNotch per WHEEL_DELTA
// (120), the part below one unit kept in *remainder for the next message, so
// a precise wheel's small deltas add up instead of being dropped. Positive
// results scroll toward the start (the wheel turned away from the user).
int WheelUnits(int* remainder, int delta, int unitsPerNotch);
// The position a thumb dragged to thumbStart stands for.
int ScrollPositionFromThumb(int thumbStart, int total, int page, int trackLength, int minThumb = 8);

// ---- list box rows ----

// Rows one line high: how many rows fit, and the first visible row that
// brings index into view (unchanged when it is already visible).
int ListVisibleRows(int height, int rowHeight);
int ListScrollIntoView(int firstVisible, int visibleRows, int index, int count);
// The row under a y offset from the list's top; -1 outside the items.
int ListRowAt(int offsetY, int rowHeight, int firstVisible, int count);

// ---- pie chart ----

// Drawing mode 1: item i of n is inset by i * (width / 2 / n) and
// i * (height / 2 / n).
DUIRect PieInset(const DUIRect& control, int index, int count);
