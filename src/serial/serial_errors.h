#pragma once

#include <stdexcept>
#include <string>

// Error codes of the serial component. Negative values are the component's
// own; a negated platform error number (-errno) may also travel through the
// same int returns.
constexpr int ecOK = 0;
constexpr int ecBadId = -2001;
constexpr int ecCommNotOpen = -2007;
constexpr int ecAlreadyOpen = -2008;
constexpr int ecNoPortSelected = -2011;
constexpr int ecPutBlockFail = -3004;
constexpr int ecOutputBufferTooSmall = -3006;
constexpr int ecBufferIsEmpty = -3007;

// Message for a code: the component's table first (searched on the absolute
// value), otherwise the platform's text for that error number, with control
// characters turned into blanks and double blanks reduced to one.
std::string ErrorMessage(int code);

// Platform text cleaning, shared by ErrorMessage and kept separate because
// texts from other platforms arrive with line breaks and padding.
std::string CleanPlatformMessage(std::string text);

class ESerialError : public std::runtime_error {
public:
  ESerialError(int code, const std::string& message);
  explicit ESerialError(int code);
  int Code() const { return code_; }

private:
  int code_;
};

class EBadId : public ESerialError {
public:
  EBadId() : ESerialError(ecBadId) {}
};

class ECommNotOpen : public ESerialError {
public:
  ECommNotOpen() : ESerialError(ecCommNotOpen) {}
};

class EAlreadyOpen : public ESerialError {
public:
  EAlreadyOpen() : ESerialError(ecAlreadyOpen) {}
};

class ENoPortSelected : public ESerialError {
public:
  ENoPortSelected() : ESerialError(ecNoPortSelected) {}
};

class EPutBlockFail : public ESerialError {
public:
  EPutBlockFail() : ESerialError(ecPutBlockFail) {}
};

class EOutputBufferTooSmall : public ESerialError {
public:
  EOutputBufferTooSmall() : ESerialError(ecOutputBufferTooSmall) {}
};

class EBufferIsEmpty : public ESerialError {
public:
  EBufferIsEmpty() : ESerialError(ecBufferIsEmpty) {}
};

// The general input/output error: a platform error the component has no class
// of its own for. Code() is the positive platform error number.
class EInOutError : public std::runtime_error {
public:
  explicit EInOutError(int platformCode);
  int Code() const { return code_; }

private:
  int code_;
};

// Raises the exception that belongs to a failed open: -ENOENT and the other
// "no such device" numbers give EBadId, a device held elsewhere EAlreadyOpen,
// -ENOMEM std::bad_alloc, a component code its ESerialError, and any other
// platform number EInOutError. Does nothing for ecOK.
void RaiseOpenError(int code);

// Raises the ESerialError subclass for a component code (or a plain
// ESerialError for codes without a class of their own). Does nothing for ecOK.
void RaiseSerialError(int code);
