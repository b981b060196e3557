import QtQuick
import Qt5Compat.GraphicalEffects
import "../IconNames.js" as IconNames

// One-colour icon from the ":/icons/" set; a ring stands in for an empty, unknown or broken one.
Item {
    id: mark

    property string name
    property color color: "#F7FAFF"

    readonly property string iconKey: String(name === undefined || name === null ? "" : name).trim()
    readonly property bool known: IconNames.has(iconKey)
    readonly property bool drawn: known && glyph.status === Image.Ready

    implicitWidth: 18
    implicitHeight: 18

    Image {
        id: glyph
        anchors.fill: parent
        visible: false
        source: mark.known ? "qrc:/icons/" + mark.iconKey + ".svg" : ""
        sourceSize.width: Math.max(18, mark.width * 2)
        sourceSize.height: Math.max(18, mark.height * 2)
        smooth: true
        fillMode: Image.PreserveAspectFit
    }

    ColorOverlay {
        anchors.fill: glyph
        source: glyph
        color: mark.color
        visible: mark.drawn
        cached: true
    }

    Rectangle {
        visible: !mark.drawn
        anchors.centerIn: parent
        width: Math.max(8, mark.width * 0.56)
        height: width
        radius: width / 2
        color: "transparent"
        border.width: 1.6
        border.color: mark.color
        opacity: 0.9
    }
}
