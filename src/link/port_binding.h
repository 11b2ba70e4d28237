#pragma once

#include <QString>

#include <functional>

// What "COM<n>" of the working folder stands for now: the target of its
// link (found whatever the letter case), or empty when there is no link.
QString ComLinkTarget(quint16 comNumber);

enum class BindResult { Bound, Unchanged, Declined, Failed };

// Makes COM<n> of the working folder a link to `target`. An entry that is
// already there and leads elsewhere (a link the operator made, or anything
// else) is replaced only when `confirmReplace` says yes; it is given the
// question to put. Failed when the link cannot be made (the reason in
// *error).
BindResult BindComPort(quint16 comNumber, const QString& target,
                       const std::function<bool(const QString& question)>& confirmReplace,
                       QString* error = nullptr);
