import QtQuick
import "../components"

Item {
    property var shell: null
}
