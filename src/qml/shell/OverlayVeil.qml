import QtQuick

// A full-window layer that swallows every click; clicks outside `panel` are announced.
Rectangle {
    id: veil

    property Item panel: null
    signal outsideClicked()

    anchors.fill: parent

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.AllButtons
        onWheel: (wheel) => wheel.accepted = true
        onClicked: (mouse) => {
            if (!veil.panel || !veil.panel.contains(mapToItem(veil.panel, mouse.x, mouse.y)))
                veil.outsideClicked()
        }
    }
}
