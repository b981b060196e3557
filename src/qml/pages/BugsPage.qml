import QtQuick
import "../components"

Item {
    property var shell: null

    EmptyState {
        anchors.centerIn: parent
        width: parent.width
        iconName: "bug"
        title: "Баг-трекер"
        hint: "Этот раздел появится в одной из следующих версий клиента."
    }
}
