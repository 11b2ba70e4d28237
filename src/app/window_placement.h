#pragma once

class QWidget;

// Places a top-level window in the middle of the screen it is on (or the
// primary screen before it is shown).
void CentreOnScreen(QWidget* window);

// Fixes a window's client area so the operator cannot resize it.
void FixClientSize(QWidget* window, int width, int height);
