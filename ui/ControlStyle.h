#pragma once

// Font size and font colour of a designed control, as the window logic sets and reads them.
//
// Sizes are in logical pixels, the unit of every other measure of the designs, so text keeps its
// proportion to the fixed-size boxes it sits in. A colour applies in every state of the control,
// enabled or not: the window logic chooses the colours of disabled rows itself.

#include <QColor>

class QWidget;

void SetFontSize(QWidget* control, int size);
int FontSize(const QWidget* control);
void SetFontColor(QWidget* control, const QColor& color);
QColor FontColor(const QWidget* control);
