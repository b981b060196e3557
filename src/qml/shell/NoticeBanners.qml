import QtQuick
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// One banner per server notice, coloured by its tone.
Column {
    id: banners

    readonly property var notices: clientNoticesService.notices
    readonly property int count: notices ? notices.length : 0

    spacing: 10

    Repeater {
        model: banners.notices
        delegate: GlassPanel {
            id: banner
            required property var modelData
            readonly property var tone: Logic.noticeTone(modelData.tone_key)
            readonly property string title: Logic.trimmed(modelData.title)
            readonly property string message: Logic.trimmed(modelData.message)
            width: banners.width
            height: implicitHeight
            panelRadius: 8
            contentMargin: 16
            fillColor: tone.fill
            strokeColor: tone.stroke
            accentColor: tone.stroke
            showAccent: true

            RowLayout {
                width: parent.width
                spacing: 14
                IconMark {
                    Layout.alignment: Qt.AlignTop
                    Layout.preferredWidth: 24
                    Layout.preferredHeight: 24
                    name: Logic.clientNoticeIconName(Logic.noticeIconKey(banner.modelData))
                    color: banner.tone.stroke
                }
                Column {
                    Layout.fillWidth: true
                    spacing: 4
                    Text {
                        visible: banner.title.length > 0
                        width: parent.width
                        text: banner.title
                        font.pixelSize: 17
                        font.bold: true
                        color: "#F6FAFF"
                        wrapMode: Text.Wrap
                    }
                    Text {
                        visible: banner.message.length > 0
                        width: parent.width
                        text: banner.message
                        font.pixelSize: 13
                        color: "#C9D7EC"
                        wrapMode: Text.Wrap
                    }
                }
            }
        }
    }
}
