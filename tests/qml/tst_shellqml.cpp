#include <QtQuickTest>

// Runs the Qt Quick tests in tests/qml/quick against the scene files in the resources.
QUICK_TEST_MAIN(shellqml)
