#include "scan/fileselection.h"

#include "platform/pathname.h"
#include "scan/functionmodule.h"
#include "scan/searchexpression.h"

QString FileSelection::path(int index) const {
    const QString folder = FunctionModule::AddTrailingBackslash(folderPath());
    const QString listed = name(index);
    const QString trimmed = trimSpaces(listed);
    // Padding typed or listed around a name goes; a real name may end in a space.
    if (trimmed != listed && platform::pathExists(folder + listed))
        return folder + listed;
    return folder + trimmed;
}
