#pragma once

#include <QString>

namespace korvex {

// An output is written under a temporary name beside its final one and gets
// the final name only once it is complete, so a name a user sees is never a
// half-written file, and two runs into one folder never write the same file.

// The temporary name of attempt n (1, 2, ...) for `finalPath`: "name.wma.part",
// then "name.wma.n.part"; shortened at a character boundary where the folder's
// 255-byte name limit asks for it.
QString TemporaryPathFor(const QString &finalPath, int attempt);

// The longest start of `text` whose file-name encoding takes at most `bytes`,
// never cutting a character (nor a surrogate pair) in two.
QString StartFittingBytes(const QString &text, qsizetype bytes);

enum class Publishing { Published, NameTaken };

// Gives `temporary` the name `finalPath` unless something is there already,
// which is never replaced, not even for an instant: a rename that refuses to
// replace, else a hard link, else (FAT, exFAT, shares without either) an
// empty file created exclusively under the final name that only this
// file replaces. NameTaken leaves `temporary` as it was; any other failure
// throws KorvexError naming the final path.
Publishing PublishWithoutReplacing(const QString &temporary, const QString &finalPath);

// Gives `temporary` the name `finalPath`, replacing a file there (a join
// whose output the user agreed to replace). Throws KorvexError.
void PublishReplacing(const QString &temporary, const QString &finalPath);

} // namespace korvex
