import QtQuick

// The centred title and hint a list or page shows while it has nothing to show.
Item {
    id: state

    property string title: ""
    property string hint: ""
    property string iconName: "info"

    implicitWidth: 420
    implicitHeight: column.implicitHeight

    Column {
        id: column
        anchors.centerIn: parent
        width: Math.min(parent.width, 520)
        spacing: 10

        IconMark {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 30
            height: 30
            name: state.iconName
            color: "#46617F"
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: state.title
            font.pixelSize: 18
            font.bold: true
            color: "#DDE8F8"
            wrapMode: Text.Wrap
        }
        Text {
            visible: state.hint.length > 0
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: state.hint
            font.pixelSize: 13
            color: "#8FA3C4"
            wrapMode: Text.Wrap
        }
    }
}
