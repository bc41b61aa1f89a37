// Opening an address in the machine's web browser, and knowing beforehand whether there is one.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vexal {

// Whether a web browser would open an http address: a command of `browserVariable` (the
// colon-separated list $BROWSER holds) that can be run, or an application installed in one of
// `applicationDirs` (folders of .desktop entries) that declares it opens http addresses and
// whose program can be run. A desktop launcher alone, with no browser behind it, is none.
bool browserInstalled(const QStringList& applicationDirs, const QString& browserVariable);
// The same for this machine: the desktop's application folders and $BROWSER.
bool browserInstalled();

// Asks the desktop to open the address in the browser. False, and nothing is started, when the
// machine has no browser; false too when the desktop could not hand it on.
bool openInBrowser(const QUrl& url);

}  // namespace vexal
