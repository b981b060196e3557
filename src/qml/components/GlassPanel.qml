import QtQuick

// A framed dark panel; its children go into an inner item inset by contentMargin.
Rectangle {
    id: panel

    property color fillColor: "#0F1726"
    property color strokeColor: "#1F2D45"
    property color accentColor: "#5865F2"
    property real contentMargin: 16
    property real panelRadius: 10
    property bool framed: true
    property bool showAccent: false
    default property alias content: inner.data

    readonly property Item firstChild: inner.children.length > 0 ? inner.children[0] : null

    color: fillColor
    radius: panelRadius
    border.width: framed && strokeColor.a > 0 ? 1 : 0
    border.color: strokeColor
    clip: true
    implicitWidth: firstChild && firstChild.implicitWidth > 0 ? firstChild.implicitWidth + 2 * contentMargin : 0
    implicitHeight: firstChild && firstChild.implicitHeight > 0 ? firstChild.implicitHeight + 2 * contentMargin : 0

    Item {
        id: inner
        anchors.fill: parent
        anchors.margins: panel.contentMargin
    }

    // Drawn over the content so the content keeps its place.
    Rectangle {
        visible: panel.showAccent
        x: 0
        width: 2
        height: parent.height
        color: panel.accentColor
        opacity: 0.95
        z: 1
    }
}
