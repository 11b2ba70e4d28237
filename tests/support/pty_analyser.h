#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

class TSerialPort;

// The analyser's end of a pseudo-terminal: the test holds the master side and
// the port under test opens the slave through a "COM<n>" link.
class TPtyAnalyser {
public:
  TPtyAnalyser();
  ~TPtyAnalyser();
  TPtyAnalyser(const TPtyAnalyser&) = delete;
  TPtyAnalyser& operator=(const TPtyAnalyser&) = delete;

  bool Valid() const { return master_ >= 0; }
  int MasterFd() const { return master_; }
  QString SlavePath() const { return slavePath_; }

  // Writes everything, waiting for room as long as needed or until *cancel.
  bool WriteAll(const QByteArray& data, const std::atomic<bool>* cancel = nullptr);
  // Reads what the port sent until `size` bytes have come or the limit passed.
  QByteArray Read(int size, std::chrono::milliseconds limit);
  // Closes the master: the port's side sees a hang-up.
  void Hangup();

private:
  int master_ = -1;
  QString slavePath_;
};

// Writes data to the analyser's line from a thread of its own, in uneven
// pieces and as fast as the line takes them. Destroying it stops the writing.
class TBackgroundWriter {
public:
  TBackgroundWriter(TPtyAnalyser& analyser, QByteArray data, quint32 seed);
  ~TBackgroundWriter();
  bool Finished() const { return finished_.load(); }

private:
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// A temporary working folder, made current for the life of the object, in
// which COM<n> links are made.
class TComFolder {
public:
  TComFolder();
  ~TComFolder();
  TComFolder(const TComFolder&) = delete;
  TComFolder& operator=(const TComFolder&) = delete;

  bool Valid() const;
  QString Path() const { return dir_.path(); }
  // Makes (or replaces) the link `name` -> target.
  bool Link(const QString& name, const QString& target);
  bool Unlink(const QString& name);

private:
  QTemporaryDir dir_;
  QByteArray previous_;
  bool entered_ = false;
};

// The usual rig of a port test: an analyser on a pseudo-terminal, published
// as COM<comNumber> in a fresh working folder made current for its life.
class TLinkedAnalyser : public TPtyAnalyser {
public:
  explicit TLinkedAnalyser(int comNumber);
  // Valid, and its COM link made.
  bool Linked() const { return linked_; }
  TComFolder& Folder() { return folder_; }

private:
  TComFolder folder_;
  bool linked_ = false;
};

// The settings the program gives its port: 115200 8N1, all four handshake
// options, 8000/6000/2000 input queue and thresholds, no port prompt.
void ConfigureLikeTheProgram(TSerialPort& port, quint16 comNumber);
