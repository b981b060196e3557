import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../PageLogic.js" as PageLogic

// Local scripts: one chip per entry, the selected entry's state, parameters and log.
Item {
    id: page

    property var shell: null
    readonly property var entries: scriptRuntime.entries
    readonly property int currentIndex: PageLogic.scriptIndex(shell ? shell.scriptTabIndex : 0, entries.length)
    readonly property var entry: entries.length > 0 ? entries[currentIndex] : null

    function select(index) {
        if (shell)
            shell.scriptTabIndex = index
        logView.load()
    }

    function addEntry() {
        appSettings.addScriptEntry()
        scriptRuntime.refresh()
        select(scriptRuntime.entries.length - 1)
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Flickable {
                Layout.fillWidth: true
                Layout.preferredHeight: 38
                clip: true
                contentWidth: chips.implicitWidth
                contentHeight: height
                boundsBehavior: Flickable.StopAtBounds
                Row {
                    id: chips
                    spacing: 4
                    Repeater {
                        // One chip per configured script: a short list.
                        model: page.entries
                        delegate: InlineTabButton {
                            required property int index
                            required property var modelData
                            text: PageLogic.text(modelData.name)
                            active: index === page.currentIndex
                            accent: PageLogic.scriptStateAccent(modelData)
                            onClicked: page.select(index)
                        }
                    }
                }
            }
            GlassActionButton {
                compact: true
                iconName: "refresh"
                iconOnly: true
                onClicked: scriptRuntime.refresh()
            }
            GlassActionButton {
                compact: true
                primary: true
                iconName: "plus"
                text: "Добавить"
                onClicked: page.addEntry()
            }
        }

        EmptyState {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: page.entry === null
            iconName: "scripts"
            title: "Скриптов пока нет"
            hint: "Добавь локальный путь или обнови список."
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: page.entry !== null
            spacing: 16

            GlassPanel {
                Layout.preferredWidth: 430
                Layout.fillHeight: true
                contentMargin: 18

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 12

                    Text {
                        Layout.fillWidth: true
                        text: page.entry ? PageLogic.text(page.entry.name) : ""
                        font.pixelSize: 20
                        font.bold: true
                        color: "#F6FAFF"
                        elide: Text.ElideRight
                    }
                    Text {
                        Layout.fillWidth: true
                        text: page.entry ? (PageLogic.text(page.entry.path) || "Путь не задан") : ""
                        font.family: "Consolas"
                        font.pixelSize: 12
                        color: page.entry && page.entry.exists ? "#8FA3C4" : "#F4C16D"
                        elide: Text.ElideMiddle
                    }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 8
                        StatusPill {
                            objectName: "scriptStatusPill"
                            label: "Статус"
                            value: page.entry ? PageLogic.text(page.entry.status) : ""
                            accent: PageLogic.scriptStateAccent(page.entry)
                        }
                        StatusPill {
                            label: "PID"
                            value: page.entry && page.entry.running && Number(page.entry.pid) > 0 ? String(page.entry.pid) : "—"
                            accent: "#7ECFFF"
                            minWidth: 80
                        }
                        StatusPill {
                            label: "Пульс"
                            value: page.entry ? PageLogic.text(page.entry.heartbeat).replace(/^пульс: /, "") : ""
                            iconName: "bolt"
                            accent: "#F4C16D"
                        }
                    }

                    Text {
                        text: "Параметры"
                        font.pixelSize: 15
                        font.bold: true
                        color: "#DDE8F8"
                    }
                    CompactCheckBox {
                        text: "Автостарт"
                        readonly property bool saved: page.entry ? page.entry.autoStart === true : false
                        checked: saved
                        onToggled: {
                            appSettings.setScriptEntryAutoStart(page.currentIndex, checked)
                            checked = Qt.binding(function () { return saved })
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Text { text: "Запуск"; font.pixelSize: 13; color: "#8FA3C4"; Layout.preferredWidth: 80 }
                        GlassComboBox {
                            Layout.fillWidth: true
                            model: PageLogic.launchModes
                            currentIndex: PageLogic.launchModeIndex(page.entry ? page.entry.launchMode : "auto")
                            onActivated: function (index) {
                                appSettings.setScriptEntryLaunchMode(page.currentIndex, PageLogic.launchModes[index])
                            }
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Text { text: "Аргументы"; font.pixelSize: 13; color: "#8FA3C4"; Layout.preferredWidth: 80 }
                        GlassTextField {
                            id: argumentsField
                            Layout.fillWidth: true
                            placeholderText: "--flag значение"
                            onEditingFinished: {
                                if (page.entry && text.trim() !== PageLogic.text(page.entry.arguments))
                                    appSettings.setScriptEntryArguments(page.currentIndex, text)
                            }
                        }
                    }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 8
                        GlassActionButton {
                            tone: "success"
                            iconName: "play"
                            text: "Старт"
                            compact: true
                            enabled: page.entry !== null && !page.entry.running
                            onClicked: scriptRuntime.start(page.currentIndex)
                        }
                        GlassActionButton {
                            tone: "danger"
                            iconName: "stop"
                            text: "Стоп"
                            compact: true
                            enabled: page.entry !== null && page.entry.running
                            onClicked: scriptRuntime.stop(page.currentIndex)
                        }
                        GlassActionButton {
                            iconName: "refresh"
                            text: "Перезапуск"
                            compact: true
                            enabled: page.entry !== null
                            onClicked: scriptRuntime.restart(page.currentIndex)
                        }
                        GlassActionButton {
                            iconName: "folder"
                            iconOnly: true
                            compact: true
                            enabled: page.entry !== null && PageLogic.text(page.entry.folder).length > 0
                            onClicked: scriptRuntime.openFolder(page.currentIndex)
                        }
                    }
                    Item { Layout.fillHeight: true }
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentMargin: 16

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 10
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            Layout.fillWidth: true
                            text: "Лог"
                            font.pixelSize: 16
                            font.bold: true
                            color: "#F6FAFF"
                        }
                        GlassActionButton {
                            compact: true
                            iconName: "trash"
                            text: "Очистить"
                            onClicked: scriptRuntime.clearLog(page.currentIndex)
                        }
                    }
                    Rectangle {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        radius: 9
                        color: "#0A111C"
                        border.color: "#1F2D45"

                        ScrollView {
                            id: logScroll
                            anchors.fill: parent
                            anchors.margins: 1
                            clip: true

                            TextArea {
                                id: logView
                                objectName: "scriptLog"
                                readOnly: true
                                selectByMouse: true
                                wrapMode: TextEdit.WrapAnywhere
                                font.family: "Consolas"
                                font.pixelSize: 12
                                color: "#C9D7EC"
                                selectionColor: "#5865F2"
                                padding: 12
                                background: null
                                placeholderText: "Лог пуст"
                                placeholderTextColor: "#4C5B73"

                                // Follows new text only while the reader is at the end.
                                function atEnd() {
                                    var f = logScroll.contentItem
                                    return !f || f.contentHeight <= f.height + 2
                                           || f.contentY >= f.contentHeight - f.height - 24
                                }
                                function show(value) {
                                    var follow = atEnd()
                                    text = value
                                    if (follow)
                                        Qt.callLater(scrollToEnd)
                                }
                                function scrollToEnd() {
                                    var f = logScroll.contentItem
                                    if (f && f.contentHeight > f.height)
                                        f.contentY = f.contentHeight - f.height
                                }
                                function load() {
                                    show(page.entry ? scriptRuntime.entryLog(page.currentIndex) : "")
                                }
                                Component.onCompleted: load()
                            }
                        }
                    }
                }
            }
        }
    }

    Connections {
        target: scriptRuntime
        function onLogChanged(index, text) {
            if (index === page.currentIndex)
                logView.show(text)
        }
    }
    onCurrentIndexChanged: logView.load()
    // The entries are rebuilt every heartbeat tick: keep what the operator is typing.
    onEntryChanged: {
        if (!argumentsField.activeFocus)
            argumentsField.text = entry ? PageLogic.text(entry.arguments) : ""
    }
}
