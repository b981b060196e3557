#pragma once

#include <QString>

// Names of new layouts: the design key that identifies a layout across runs, clean file
// names, the order mark, the strip file names and the number of printer passes.
namespace MaketNames {

// Trimmed, without a trailing extension or the word "макет", x/X/Х as "х", single blanks.
QString designKey(const QString &fileName);

// Control characters and < > : " / \ | ? * become "_" (a run becomes one); "maket" when empty.
QString cleanFileName(const QString &name);

// The lower-case extension with its dot (".tif"), empty when there is none.
QString extensionOf(const QString &fileName);
bool isAcceptedExtension(const QString &extension);
bool isCuttableExtension(const QString &extension);

// The order number of a layout named "ЗАК_123 ..." (any of _, blank or - between), else empty.
QString orderNumber(const QString &fileName);
// The desktop folder an order layout goes to.
QString orderFolderName(const QString &orderNumber);

// "<layout name> <n>-я полоса<extension>" for strip number n (from 1).
QString stripFileName(const QString &layoutName, int number, const QString &extension);
// True for a file of the strips folder cut from a layout with this design key.
bool isStripOf(const QString &stripFileName, const QString &designKey);

// RIP passes for a design key: 8, 6 or 4.
int passesFor(const QString &designKey);

} // namespace MaketNames
