#pragma once

#include <QString>

#include <functional>

// What "COM<n>" of the working folder stands for now: the target of its
// link (found whatever the letter case), or empty when there is no link.
QString ComLinkTarget(quint16 comNumber);

enum class BindResult { Bound, Unchanged, Declined, Failed };

// What a binding replaced, so that it can be put back: the target of the
// link COM<n> was before, empty when there was none.
struct ComLinkBefore {
  QString Target;
};

// Makes COM<n> of the working folder a link to `target`. Only a symbolic
// link is ever replaced: a link that leads elsewhere (one the operator
// made, say) when `confirmReplace` says yes, given the question to put; a
// file, folder or device of that name is left alone and the binding fails,
// naming what it is. The new link is made under a temporary name beside
// COM<n> and renamed over it, so COM<n> is at every moment the old link or
// the new one. Failed carries the system's reason in *error; *before tells
// what a Bound replaced.
BindResult BindComPort(quint16 comNumber, const QString& target,
                       const std::function<bool(const QString& question)>& confirmReplace,
                       QString* error = nullptr, ComLinkBefore* before = nullptr);

// Puts back what a binding replaced: the old link, made again in the same
// way, or no COM<n> at all when there was none (a link only is removed).
// Returns what COM<n> is now, in words for the operator, or why it could
// not be put back.
QString RestoreComPort(quint16 comNumber, const ComLinkBefore& before);
