#pragma once
// A link to one repeater as the operations take it: over USB, a HidLink already pointed at the
// unit; over a serial port, the port and its speed, opened by each operation and closed at its
// end. Every operation takes a Channel and works on either link; what a link cannot carry it says
// through Supports, so no caller needs to know which links carry which commands.
//
// Front ends do not build channels themselves: the run policy (front/RunPolicy.h) resolves the
// unit, takes its lock and hands the channel to the operation.

#include <QString>
#include <memory>

#include "host/Clock.h"
#include "link/HidLink.h"
#include "ops/Feedback.h"
#include "ops/Language.h"

namespace quorvin {

class SerialPort;

enum class LinkKind { Usb, Serial };

// What an operation may need beyond the version and the two backup transfers.
enum class Capability {
  Frequency,    // set and read the working frequency
  CallButtons,  // initialise the call-button data
};

// The link's short name, for logs, the history and --json: "usb", "serial".
[[nodiscard]] QString LinkName(LinkKind link);

class Channel {
 public:
  Channel(Feedback& fb, Clock& clock, Language lang) : fb(fb), clock(clock), lang(std::move(lang)) {}
  virtual ~Channel() = default;
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  [[nodiscard]] virtual LinkKind Kind() const = 0;
  // The same link, the operations on it speaking through `other` (a quiet read of the version
  // after an upgrade, whose boxes nobody needs).
  [[nodiscard]] virtual std::unique_ptr<Channel> SpeakingThrough(Feedback& other) const = 0;
  // The serial line has no frames for the frequency or the call buttons: those are USB only.
  [[nodiscard]] bool Supports(Capability) const { return Kind() == LinkKind::Usb; }

  Feedback& fb;
  Clock& clock;
  const Language lang;
};

class UsbChannel final : public Channel {
 public:
  UsbChannel(HidLink& link, Feedback& fb, Clock& clock, Language lang)
      : Channel(fb, clock, std::move(lang)), link(link) {}
  [[nodiscard]] LinkKind Kind() const override { return LinkKind::Usb; }
  [[nodiscard]] std::unique_ptr<Channel> SpeakingThrough(Feedback& other) const override {
    return std::make_unique<UsbChannel>(link, other, clock, lang);
  }
  HidLink& link;
};

// What the window's serial controls hold: the text of the selected port item (empty when no port
// is listed) and the speed field's text; quorvinctl's --port and --baud say the same.
struct SerialChoice {
  QString portItem;
  QString speedText;
};

class SerialChannel final : public Channel {
 public:
  SerialChannel(SerialPort& port, SerialChoice choice, Feedback& fb, Clock& clock, Language lang)
      : Channel(fb, clock, std::move(lang)), port(port), choice(std::move(choice)) {}
  [[nodiscard]] LinkKind Kind() const override { return LinkKind::Serial; }
  [[nodiscard]] std::unique_ptr<Channel> SpeakingThrough(Feedback& other) const override {
    return std::make_unique<SerialChannel>(port, choice, other, clock, lang);
  }
  SerialPort& port;
  const SerialChoice choice;
};

}  // namespace quorvin
