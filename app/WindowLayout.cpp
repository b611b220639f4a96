#include "app/WindowLayout.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <array>

namespace quorvin {

namespace {

using K = ControlKind;

const std::array<ControlTemplate, 15> kMainControls{{
    {ctl::LabelPort, K::StaticRight, QT_TRANSLATE_NOOP("quorvin", "COM:"), false, {164, 15, 8, 8}},
    {ctl::ComboPort, K::ComboDropDown, "", false, {178, 12, 16, 174}},
    {ctl::Upgrade, K::PushButton, QT_TRANSLATE_NOOP("quorvin", "Upgrade"), true, {4, 79, 151, 24}},
    {ctl::ReadVersion, K::PushButton, QT_TRANSLATE_NOOP("quorvin", "Read The Version"), true, {169, 79, 151, 24}},
    {ctl::LabelSpeed, K::StaticRight, QT_TRANSLATE_NOOP("quorvin", "Rate:"), false, {200, 15, 8, 8}},
    {ctl::ComboSpeed, K::ComboDropDown, "", false, {211, 14, 16, 114}},
    {ctl::BackupDownload,
     K::PushButton,
     QT_TRANSLATE_NOOP("quorvin", "Download The Backup Data"),
     true,
     {4, 157, 151, 24}},
    {ctl::BackupReadBack,
     K::PushButton,
     QT_TRANSLATE_NOOP("quorvin", "Upload The Backup Data"),
     true,
     {169, 157, 151, 24}},
    {ctl::UsbOperation, K::AutoCheckBox, QT_TRANSLATE_NOOP("quorvin", "USB Operation"), false, {232, 15, 8, 11}},
    {ctl::SetFrequency, K::PushButton, QT_TRANSLATE_NOOP("quorvin", "Setup Frequency"), true, {4, 39, 151, 24}},
    {ctl::ReadFrequency, K::PushButton, QT_TRANSLATE_NOOP("quorvin", "Write Frequency"), true, {169, 39, 151, 24}},
    {ctl::Frequency, K::EditRight, "", true, {32, 13, 65, 12}},
    {kNoControlId, K::StaticLeft, QT_TRANSLATE_NOOP("quorvin", "频率:"), true, {7, 16, 21, 8}},
    {kNoControlId, K::StaticLeft, QT_TRANSLATE_NOOP("quorvin", "Hz"), true, {99, 15, 9, 8}},
    {ctl::InitCallButtons,
     K::PushButton,
     QT_TRANSLATE_NOOP("quorvin", "Initialize call button data"),
     true,
     {4, 118, 151, 24}},
}};

const ProgressTemplate kProgressZh{{367, 58}, {5, 7, 353, 15}, {6, 35, 356, 8}};
const ProgressTemplate kProgressEn{{382, 58}, {5, 7, 370, 15}, {6, 35, 370, 8}};

// Rounded a * b / c, as the window system scales dialog units.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

}  // namespace

std::span<const ControlTemplate> MainWindowTemplate() { return kMainControls; }

const ProgressTemplate& ProgressWindowTemplate(bool wide) { return wide ? kProgressEn : kProgressZh; }

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics fm(font);
  // The horizontal base unit is the mean width of the 52 Latin letters, rounded; the vertical one
  // the font's line height. Both windows were drawn on that grid.
  const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (letters / 26 + 1) / 2;
  m_baseY = fm.height();
}

int DialogUnits::X(int du) const { return MulDiv(du, m_baseX, 4); }
int DialogUnits::Y(int du) const { return MulDiv(du, m_baseY, 8); }

QRect DialogUnits::Rect(const QRect& du) const {
  // Position and size are scaled one by one, as the window system creates template controls.
  return {X(du.x()), Y(du.y()), X(du.width()), Y(du.height())};
}

QSize DialogUnits::Size(const QSize& du) const { return {X(du.width()), Y(du.height())}; }

QFont MainWindowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("NSimSun"), font.defaultFamily(), font.family()});
  font.setPointSize(9);
  return font;
}

DialogUnits MainWindowUnits(const QFont& font) {
  // The main window was drawn on the grid of a 9-point Song face, whose Latin letters are half an
  // em wide and whose lines are one em high. Other faces of the same size space their lines up to
  // a third wider, which would stretch the window; the Song grid at the font's actual em keeps the
  // layout as drawn, at any screen resolution.
  const int em = QFontInfo(font).pixelSize();
  return {(em + 1) / 2, em};
}

QFont ProgressWindowFont() {
  // The progress window uses the platform's 8-point dialog face.
  QFont font;
  font.setPointSize(8);
  return font;
}

}  // namespace quorvin
