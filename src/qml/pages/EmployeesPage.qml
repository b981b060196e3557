import QtQuick
import "../components"

Item {
    property var shell: null

    EmptyState {
        anchors.centerIn: parent
        width: parent.width
        iconName: "employees"
        title: "Сотрудники"
        hint: "Этот раздел появится в одной из следующих версий клиента."
    }
}
