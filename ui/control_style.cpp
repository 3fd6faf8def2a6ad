// SPDX-License-Identifier: MIT
#include "ui/control_style.h"

namespace morvane::ui {
namespace {

struct Rgb {
  int r, g, b;
};

// Frame colours of the styles 1 to 3.
constexpr Rgb kFrameColours[] = {
    {123, 158, 189},  // 1: grey blue
    {164, 185, 127},  // 2
    {198, 198, 215},  // 3
};

QString RgbText(std::uint32_t colour) {
  return QStringLiteral("rgb(%1, %2, %3)")
      .arg((colour >> 16) & 0xFF)
      .arg((colour >> 8) & 0xFF)
      .arg(colour & 0xFF);
}

}  // namespace

QString ControlStyleSheet(int style) {
  if (style < 1 || style > 3) return {};
  const Rgb c = kFrameColours[style - 1];
  const QString frame = QStringLiteral("rgb(%1, %2, %3)").arg(c.r).arg(c.g).arg(c.b);
  return QStringLiteral(
             "QLineEdit, QPlainTextEdit, QTextEdit, morvane--ui--ByteTextEdit, QAbstractSpinBox {"
             " border: 1px solid %1; background: white; color: black; padding: 0px; }"
             "QLineEdit:read-only { background: white; }"
             "QComboBox { border: 1px solid %1; background: white; padding: 0px 2px; }"
             // The highlighted item: white on a blue dark enough to read it by.
             "QComboBox QAbstractItemView { border: 1px solid %1; background: white;"
             " color: black; selection-background-color: rgb(49, 106, 197);"
             " selection-color: white; }"
             "QComboBox QAbstractItemView::item:selected { background: rgb(49, 106, 197);"
             " color: white; }"
             "QGroupBox { border: 1px solid %1; margin-top: 6px; }"
             "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
             " left: 7px; padding: 0px 2px; }"
             "QPushButton { border: 1px solid %1; background: qlineargradient(x1:0, y1:0,"
             " x2:0, y2:1, stop:0 white, stop:1 rgb(236, 233, 216)); padding: 3px 14px; }"
             "QPushButton:hover { background: rgb(255, 252, 235); }"
             "QPushButton:pressed { background: rgb(236, 233, 216); }"
             "QRadioButton::indicator, QCheckBox::indicator { width: 11px; height: 11px; }")
      .arg(frame);
}

QString OwnerDrawnButtonSheet() {
  return QStringLiteral(
      "QPushButton { border: 1px solid rgb(196, 190, 160); border-radius: 2px;"
      " background: rgb(236, 233, 216); padding: 0px; color: black; }"
      "QPushButton:hover { background: rgb(255, 252, 235); }"
      "QPushButton:pressed { background: rgb(222, 218, 196); }"
      "QPushButton:focus { border: 1px solid rgb(150, 142, 110); }");
}

QString ColourSheet(const char* selector, const Look& look) {
  QString body;
  if (look.textColour != kNoColour)
    body += QStringLiteral(" color: %1;").arg(RgbText(look.textColour));
  if (look.background != kNoColour) {
    body += QStringLiteral(" background-color: %1;").arg(RgbText(look.background));
  }
  if (body.isEmpty()) return {};
  return QStringLiteral("%1 {%2 }").arg(QLatin1String(selector), body);
}

}  // namespace morvane::ui
