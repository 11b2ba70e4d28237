#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The tables and small rules that turn the common section of a record into
// what the status and meter panels show. Plain values in, plain values out.

// Units of the meter rows for the first character of the current range
// code; a character outside "0".."E" leaves every unit as it is.
struct RangeUnits {
  QString current;    // both current rows: "A" or "mA"
  QString harmonics;  // total harmonics: "A" or "mA"
  QString power;      // load power and its maximum: "kW" or "W"
};
std::optional<RangeUnits> UnitsForRange(char code);

// "400 A Peak" .. "24 mA Peak"; other codes leave the label as it is.
std::optional<QString> CurrentRangeLabel(char code);

// The Test Status label for a status code; other codes leave it as it is.
std::optional<QString> StatusText(char status);
// Codes after which the settings panels may be used again.
bool StatusEnablesPanels(char status);
// Codes that re-arm the end-of-test actions of a manual-switching test.
bool StatusClearsResultsLatched(char status);

// Seconds to go of a "T" status: characters 2 to 6, blanks removed, as an
// unsigned 16-bit number; nullopt when they do not convert.
std::optional<quint16> SecondsToGo(const QString& statusCode);
// The seconds-to-go label: characters 2 to 6 and " Seconds to Go.", trimmed.
QString SecondsToGoText(const QString& statusCode);

// What the operator prompt shows while a manual-switching flicker step runs.
enum class SwitchingPrompt { Hide, SwitchOn, SwitchOff };
SwitchingPrompt PromptForStep(quint16 secondsToGo, int testDuration);

// A single-precision value with the given decimals, right-aligned in width
// characters (wider values are not cut).
QString FormatFixed(float value, int decimals, int width);

// a / b when both texts are numbers and b is not 0, else 0.
float RatioOf(const QString& a, const QString& b);
