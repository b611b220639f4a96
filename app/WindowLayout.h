#pragma once
// The two window layouts as their resource templates describe them, in dialog units, and the
// conversion of dialog units to pixels with the window font's metrics. Keeping the template
// geometry as data makes the windows look like the layout the technicians know, whatever font
// the platform supplies.

#include <QFont>
#include <QRect>
#include <span>

namespace quorvin {

enum class ControlKind { StaticLeft, StaticRight, ComboDropDown, PushButton, AutoCheckBox, EditRight, Progress };

// Controls without an id of their own (the two plain labels) carry this one.
inline constexpr int kNoControlId = -1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  // The label's English source, shown in the window's language. The frequency label and its unit
  // have always read "频率:" and "Hz" in both languages, so their source is that.
  const char* text;
  bool visible;
  QRect du;  // x, y, width, height in dialog units
};

// Main window, template order (which is also the tab order).
[[nodiscard]] std::span<const ControlTemplate> MainWindowTemplate();
inline constexpr QSize kMainWindowDu{331, 190};

// Control ids of the main window.
namespace ctl {
inline constexpr int ProgressBar = 1000;
inline constexpr int ProgressText = 1001;
inline constexpr int ComboPort = 1002;
inline constexpr int Upgrade = 1003;
inline constexpr int ReadVersion = 1004;
inline constexpr int ComboSpeed = 1005;
inline constexpr int BackupDownload = 1006;
inline constexpr int BackupReadBack = 1007;
inline constexpr int UsbOperation = 1008;
inline constexpr int LabelPort = 1009;
inline constexpr int LabelSpeed = 1010;
inline constexpr int SetFrequency = 1011;
inline constexpr int ReadFrequency = 1012;
inline constexpr int Frequency = 1013;
inline constexpr int InitCallButtons = 1014;
}  // namespace ctl

// The progress window's template comes in a Chinese and a slightly wider form for the Latin
// scripts.
struct ProgressTemplate {
  QSize window;
  QRect bar;
  QRect text;
};
[[nodiscard]] const ProgressTemplate& ProgressWindowTemplate(bool wide);

// Dialog base units of a font: the average width of the Latin letters and the line height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}
  [[nodiscard]] int X(int du) const;
  [[nodiscard]] int Y(int du) const;
  [[nodiscard]] QRect Rect(const QRect& du) const;
  [[nodiscard]] QSize Size(const QSize& du) const;
  [[nodiscard]] int BaseX() const { return m_baseX; }
  [[nodiscard]] int BaseY() const { return m_baseY; }

 private:
  int m_baseX;
  int m_baseY;
};

// The fonts the templates name, or the nearest the platform has.
[[nodiscard]] QFont MainWindowFont();
// The grid the main window's template was drawn on, at the size `font` has on this screen.
[[nodiscard]] DialogUnits MainWindowUnits(const QFont& font);
[[nodiscard]] QFont ProgressWindowFont();

}  // namespace quorvin
