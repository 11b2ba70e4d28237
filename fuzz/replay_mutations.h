#pragma once

// What the replay tests of the normal suite feed a fuzz harness: the seed
// corpus of a target, and quick mutations of it in the manner of libFuzzer
// (bytes changed, inserted, removed, cut, repeated), from a fixed seed so a
// failure repeats.
#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace fuzzreplay {

inline QList<QByteArray> SeedCorpus(const QString& folderPath) {
  const QDir folder(folderPath);
  QList<QByteArray> seeds;
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::ReadOnly)) seeds << file.readAll();
  }
  return seeds;
}

// `special` holds the bytes that matter to the reader (separators, line
// ends, digits, signs), put in more often than other bytes.
inline QByteArray Mutate(QByteArray input, QRandomGenerator& random, QByteArrayView special) {
  const int edits = random.bounded(1, 8);
  for (int e = 0; e < edits; ++e) {
    const qsizetype at = input.isEmpty() ? 0 : random.bounded(input.size());
    const char pick = special.isEmpty() ? 'x' : special[random.bounded(int(special.size()))];
    switch (random.bounded(7)) {
      case 0: if (!input.isEmpty()) input[at] = static_cast<char>(random.bounded(256)); break;
      case 1: if (!input.isEmpty()) input[at] = pick; break;
      case 2: input.insert(at, pick); break;
      case 3: input.remove(at, random.bounded(1, 64)); break;
      case 4: input.truncate(at); break;
      case 5:
        if (!input.isEmpty()) input.insert(at, input.mid(random.bounded(input.size()), random.bounded(1, 200)));
        break;
      case 6: input.insert(at, QByteArray(random.bounded(1, 12), pick)); break;
    }
  }
  return input;
}

}  // namespace fuzzreplay
