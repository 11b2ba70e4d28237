#pragma once

#include <QByteArray>

// Where the document's commands to the analyser go: the live link sends
// them on the line; a replay, which has no analyser, drops them.
class CommandSink {
 public:
  virtual ~CommandSink() = default;
  virtual void SendCommand(const QByteArray& text) = 0;
};

// A recording played back: every command goes nowhere.
class SilentCommands : public CommandSink {
 public:
  void SendCommand(const QByteArray&) override {}
};
