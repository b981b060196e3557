import QtQuick
import "../IconData.js" as IconData

// One-colour icon of the ":/icons/" set; a ring stands in for an empty, unknown or broken one.
// The drawing is tinted by writing the colour into the SVG itself, so every scene-graph
// backend (the software one too) shows the right colour.
Item {
    id: mark

    property string name
    property color color: "#F7FAFF"

    readonly property string iconKey: String(name === undefined || name === null ? "" : name).trim()
    readonly property bool known: IconData.has(iconKey)
    readonly property bool drawn: known && glyph.status === Image.Ready
    readonly property string strokeHex: Qt.rgba(color.r, color.g, color.b, 1).toString()

    implicitWidth: 18
    implicitHeight: 18

    Image {
        id: glyph
        anchors.fill: parent
        visible: mark.drawn
        opacity: mark.color.a
        source: mark.known ? IconData.dataUrl(mark.iconKey, mark.strokeHex) : ""
        sourceSize.width: Math.max(18, mark.width * 2)
        sourceSize.height: Math.max(18, mark.height * 2)
        smooth: true
        fillMode: Image.PreserveAspectFit
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
