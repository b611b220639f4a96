#pragma once
// quorvin-sim started as a separate process (on a socket in a private directory, on TCP or on a
// pseudo-terminal) for the end-to-end and widget tests; stopped (and its socket removed by it) when
// this object goes.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace quorvin::test {

// The quorvin-sim this build made, for a test that starts it by hand.
[[nodiscard]] QString SimBinary();

class SimProcess {
 public:
  struct OverTcp {};
  struct OverSerial {};
  struct Units {
    int count;
  };

  // Starts `quorvin-sim --hid-socket <private path> extraArgs...` and waits for its ready line.
  // A given socket path is used instead of the private one (a device that comes back where it was).
  explicit SimProcess(const QStringList& extraArgs = {}, const QString& socketPath = {});
  // `quorvin-sim --hid-socket <private folder> --units N extraArgs...`: SocketPath() is the folder.
  SimProcess(Units units, const QStringList& extraArgs);
  // `quorvin-sim --hid-tcp 127.0.0.1:0 extraArgs...`, the port read from the ready line.
  SimProcess(OverTcp, const QStringList& extraArgs);
  // `quorvin-sim --hid-tcp 127.0.0.1:0 --units N extraArgs...`: SocketPath() is tcp:127.0.0.1:PORT/N.
  SimProcess(OverTcp, Units units, const QStringList& extraArgs);
  // `quorvin-sim --serial extraArgs...`: no HID link, SerialPath() is the pseudo-terminal.
  SimProcess(OverSerial, const QStringList& extraArgs);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  [[nodiscard]] bool Ready() const { return m_ready; }
  // What QUORVIN_HID_SOCKET names: the socket path, the units' folder, tcp:127.0.0.1:PORT or PORT/N.
  [[nodiscard]] QString SocketPath() const { return m_socket; }
  // The pseudo-terminal of `--serial`, from the ready line.
  [[nodiscard]] QString SerialPath() const;
  // What the sim printed so far (the ready line, and the trace when asked for).
  [[nodiscard]] QString Output();
  [[nodiscard]] QProcess& Process() { return m_process; }

 private:
  void Start(const QStringList& args);
  void TakeTcpPort(const QString& suffix);

  QTemporaryDir m_dir;
  QString m_socket;
  QProcess m_process;
  QString m_output;
  bool m_ready = false;
};

}  // namespace quorvin::test
