#include "framework/ui/anchor_layout.h"

void MeasureAnchor(AnchorRecord& record, const RECT& client, const RECT& control)
{
    record.rightDistance = client.right - control.right;
    record.bottomDistance = client.bottom - control.bottom;
    record.left = control.left;
}

RECT RelayoutAnchor(const AnchorRecord& record, const RECT& client, int growth, const RECT& control)
{
    RECT c = control;
    const int width = control.right - control.left;
    const int height = control.bottom - control.top;
    const int half = growth / 2;
    if (record.flags & ANCHOR_RIGHT) {
        c.right = client.right - record.rightDistance;
        if (record.flags & ANCHOR_KEEP_WIDTH) c.left = c.right - width;
    }
    if (record.flags & ANCHOR_HALF_RIGHT) c.right = client.right - record.rightDistance - half;
    if (record.flags & ANCHOR_HALF_LEFT) {
        c.left = record.left + half;
        c.right = client.right - record.rightDistance;
    }
    if (record.flags & ANCHOR_BOTTOM) {
        c.bottom = client.bottom - record.bottomDistance;
        if (record.flags & ANCHOR_KEEP_HEIGHT) c.top = c.bottom - height;
    }
    if (record.flags & ANCHOR_CENTER) {
        const int w = c.right - c.left;
        const int clientWidth = client.right - client.left;
        c.left = w < clientWidth ? (clientWidth - w) / 2 : 0;
        c.right = c.left + w;
    }
    return c;
}
