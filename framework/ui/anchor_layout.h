// Anchoring: how a control follows the edges of its resizable dialog.
#pragma once

#include <windows.h>

#include <cstdint>

enum : uint32_t {
    ANCHOR_RIGHT = 0x01,        // the right edge follows the dialog's right edge
    ANCHOR_BOTTOM = 0x02,       // the bottom edge follows the dialog's bottom edge
    ANCHOR_KEEP_HEIGHT = 0x04,  // with ANCHOR_BOTTOM: moves, keeps its height
    ANCHOR_KEEP_WIDTH = 0x08,   // with ANCHOR_RIGHT: moves, keeps its width
    ANCHOR_CENTER = 0x10,       // centred horizontally
    ANCHOR_HALF_RIGHT = 0x20,   // the right edge follows half the growth
    ANCHOR_HALF_LEFT = 0x40,    // the left edge follows half the growth, the right edge the dialog's
};

struct AnchorRecord {
    uint32_t controlId = 0;
    uint32_t flags = 0;
    // Measured at set-up (client coordinates).
    int32_t rightDistance = 0;
    int32_t bottomDistance = 0;
    int32_t left = 0;
};

// Takes the control's distances from the client rectangle's edges.
void MeasureAnchor(AnchorRecord& record, const RECT& client, const RECT& control);

// The control's new rectangle for the client rectangle `client`, where
// `growth` is the dialog's window width now less its width at set-up. The
// half-growth anchors take half of it, truncated towards zero, so moving the
// dialog sideways shifts nothing and a dialog smaller than at set-up moves the
// edges back by half the difference.
RECT RelayoutAnchor(const AnchorRecord& record, const RECT& client, int growth, const RECT& control);
