#pragma once

#include <QString>

namespace korvex {

// Where Korvex finds its own files. A build tree keeps them beside the
// executables; an installed tree keeps the skin file and the help folder in
// share/korvex and the comment library in lib/korvex/modules, reached from the
// executable's own folder, so a tree works wherever it was installed (a
// prefix, a DESTDIR unpacked by hand, a package).
namespace ProgramFiles {

inline const QString SkinFileName = QStringLiteral("mp3enc.dll");
inline const QString CommentLibraryName = QStringLiteral("vcedit.so");

// The folder holding the skin file and help/ for executables in
// `executableFolder`: that folder itself when the skin file lies there,
// else the installed data folder beside it.
QString dataFolderFor(const QString &executableFolder);
// The folder holding the comment library, by the same rule.
QString moduleFolderFor(const QString &executableFolder);

// Both for the running executable.
QString dataFolder();
QString moduleFolder();

} // namespace ProgramFiles

} // namespace korvex
