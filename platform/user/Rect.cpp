// Rectangle helpers with the platform's exclusive right and bottom edges.
#include <algorithm>

#include "platform/user/Window.h"

BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
  return TRUE;
}

// An empty intersection gives FALSE and the empty rectangle (0, 0, 0, 0).
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(&r)) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

// Empty rectangles take no part; both empty gives FALSE and (0, 0, 0, 0).
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (ea) *out = *b;
  else if (eb) *out = *a;
  else
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  return TRUE;
}

BOOL PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
