#pragma once
// Three-dimensional edges and the small standard frame controls (check box, combo-box arrow
// button) drawn on any canvas with the old desktop's flags, so that grids and edit controls
// paint them the same way on a window, a bitmap or the recording device.
//
// Both routines leave the canvas's pen and brush as they found them. Colours are the system
// colours of the edge's parts (light, highlight, shadow, dark shadow, face), which the
// device receives resolved to RGB.

#include "platform/ui/Canvas.h"

namespace ui {

// ---- DrawEdge ----------------------------------------------------------------------------
// Edge kinds: an outer and an inner ring, each raised or sunken.
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

// Which sides, and how.
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;   // fill the inside (button face, window colour in mono)
constexpr unsigned BF_SOFT = 0x1000;    // accepted; drawn as without it
constexpr unsigned BF_ADJUST = 0x2000;  // shrink the rectangle by the rings drawn
constexpr unsigned BF_FLAT = 0x4000;    // one shadow-coloured ring, the inner one in the face colour
constexpr unsigned BF_MONO = 0x8000;    // one window-frame-coloured ring, the inner one in the window colour

// Draws the edge's rings along the sides asked for: each ring is one pixel wide; the
// top and left sides of a ring are drawn first, then the bottom and right ones over the
// corners they share. With BF_ADJUST `rect` becomes what is inside the rings drawn (sides
// not drawn stay). Answers false when `edge` names no ring.
bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags);

// ---- DrawFrameControl --------------------------------------------------------------------
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0000;
constexpr unsigned DFCS_BUTTONRADIO = 0x0004;
constexpr unsigned DFCS_BUTTON3STATE = 0x0008;
constexpr unsigned DFCS_BUTTONPUSH = 0x0010;
constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr unsigned DFCS_INACTIVE = 0x0100;
constexpr unsigned DFCS_PUSHED = 0x0200;
constexpr unsigned DFCS_CHECKED = 0x0400;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

// Draws a check box (DFC_BUTTON, DFCS_BUTTONCHECK) filling `rect`: a sunken edge (one
// shadow ring with DFCS_FLAT, one black ring with DFCS_MONO) around a window-coloured
// inside (face-coloured when inactive), with a check mark in window-text colour (grey when
// inactive) when checked; the inside is face-coloured while DFCS_PUSHED. A three-state box
// (DFCS_BUTTON3STATE) checked is the grayed state: a shadow-coloured tick on the face colour.
// A radio button (DFCS_BUTTONRADIO): a round window-coloured dot ringed in the shadow colour,
// with a window-text centre when checked. A push button (DFCS_BUTTONPUSH): a raised face,
// sunken while pushed. Or a combo-box arrow button (DFC_SCROLL, DFCS_SCROLLCOMBOBOX): a
// raised face (flat when pushed with DFCS_FLAT) with a black down-pointing triangle
// centred in it (grey when inactive). Answers false for other kinds.
bool DrawFrameControl(TCanvas& canvas, const TRect& rect, unsigned type, unsigned state);

}  // namespace ui
