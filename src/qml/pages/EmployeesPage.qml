import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../EmployeesLogic.js" as ELogic

// Staff: the employee list with cards, badges and RFID, the personal month schedule,
// the common schedule, the attendance feed and the shift archive of a day.
Item {
    id: page
    objectName: "employeesPage"

    property var shell: null
    readonly property string tab: shell ? shell.employeeTab : "schedule"
    readonly property var selected: employeeWorkspace.selectedEmployee
    readonly property string selectedId: ELogic.trimmed(employeeWorkspace.selectedEmployeeId)
    readonly property string selectedName: ELogic.trimmed(selected ? selected.name : "") || selectedId

    // The dialog's form; filled when the dialog opens.
    property var form: ELogic.newEmployeeForm("")

    function setTab(key) {
        if (shell)
            shell.employeeTab = key
    }

    function openNewEmployee() {
        form = ELogic.newEmployeeForm(shell ? shell.employeeBulkDefaultShift : "")
        employeeDialog.open()
    }

    function openEditEmployee() {
        if (selectedId.length === 0)
            return
        var f = ELogic.employeeForm(selected)
        f.id = f.id || selectedId
        form = f
        employeeDialog.open()
    }

    function setFormField(key, value) {
        var f = Object.assign({}, form)
        f[key] = ELogic.text(value)
        form = f
    }

    function saveEmployee() {
        var p = ELogic.employeeDialogPayload(form)
        if (!p.ok) {
            capture.refuse("Сотрудники", p.error)
            return
        }
        var ok = capture.run("Сотрудники", function () {
            return p.editing
                ? employeeWorkspace.updateEmployee(p.id, p.name, p.role, p.rfid, p.defaultShift, p.rfidData)
                : employeeWorkspace.addEmployee(p.name, p.id, p.role, p.rfid, p.defaultShift, p.rfidData)
        })
        if (ok)
            employeeDialog.close()
    }

    function removeSelected() {
        var id = selectedId
        if (id.length === 0)
            return
        if (capture.run("Сотрудники", function () { return employeeWorkspace.removeEmployee(id) }))
            deleteDialog.close()
    }

    function makeQr() {
        var id = selectedId
        if (id.length === 0)
            return
        var path = capture.run("QR сотрудника", function () {
            return localTools.generateEmployeeQrDocument(id, page.selectedName, employeeWorkspace.makeEmployeeQrPayload())
        })
        if (ELogic.trimmed(path).length > 0)
            localTools.openPath(path)
    }

    function makeBadge() {
        var id = selectedId
        if (id.length === 0)
            return
        var role = ELogic.trimmed(selected ? selected.role : "")
        var path = capture.run("Бейдж сотрудника", function () {
            return localTools.generateEmployeeBadgePdf(id, page.selectedName, role,
                                                       employeeWorkspace.makeEmployeeQrPayload())
        })
        if (ELogic.trimmed(path).length > 0)
            localTools.openPath(path)
    }

    function stepMonth(delta) {
        employeeWorkspace.scheduleMonth = ELogic.steppedMonth(employeeWorkspace.scheduleMonth, delta)
    }

    function openExportsFolder() {
        capture.run("Сотрудники", function () { return localTools.openEmployeeAssetsFolder("exports") })
    }

    function exportAttendance() {
        var path = capture.run("Сотрудники", function () {
            return localTools.exportAttendanceCsv(employeeWorkspace.attendanceDate, employeeWorkspace.attendanceEvents)
        })
        if (ELogic.trimmed(path).length > 0)
            localTools.openPath(path)
    }

    function exportArchive() {
        // One summary line per employee of the day, as the backend counts them.
        var summary = employeeWorkspace.archiveSummary.rows || []
        var path = capture.run("Сотрудники", function () {
            return localTools.exportArchiveCsv(employeeWorkspace.archiveDate, summary, employeeWorkspace.archiveEvents)
        })
        if (ELogic.trimmed(path).length > 0)
            localTools.openPath(path)
    }

    JournalCapture { id: capture; shell: page.shell }

    Binding { target: employeeList; property: "search"; value: page.shell ? page.shell.employeeSearch : "" }

    // The root's flag closes the dialog too (a reset of the scene state).
    Connections {
        target: page.shell
        function onEmployeeEditorOpenChanged() {
            if (page.shell && !page.shell.employeeEditorOpen && employeeDialog.opened)
                employeeDialog.close()
        }
    }

    // While the card dialog is open the reader fills it instead of marking attendance.
    Connections {
        target: rfidService
        enabled: employeeDialog.visible
        function onCardDataRead(uid, data) {
            if (ELogic.trimmed(uid).length > 0)
                page.setFormField("rfid", ELogic.trimmed(uid))
            page.setFormField("rfidData", ELogic.text(data))
        }
        function onCardReceived(uid, tagText, raw) {
            if (ELogic.trimmed(uid).length > 0)
                page.setFormField("rfid", ELogic.trimmed(uid))
        }
    }

    component DayNavigator: RowLayout {
        id: nav
        property string date: ""
        property bool onlySelected: false
        signal step(int delta)
        signal today()
        signal toggleSelected()
        signal exportCsv()
        signal openFolder()
        spacing: 8
        GlassActionButton { compact: true; text: "‹"; onClicked: nav.step(-1) }
        Text {
            text: nav.date
            font.family: "Consolas"
            font.pixelSize: 15
            font.bold: true
            color: "#F6FAFF"
        }
        GlassActionButton { compact: true; text: "›"; onClicked: nav.step(1) }
        GlassActionButton { compact: true; text: "Сегодня"; onClicked: nav.today() }
        GlassActionButton {
            compact: true
            text: nav.onlySelected ? "Только выбранный" : "Все сотрудники"
            onClicked: nav.toggleSelected()
        }
        Item { Layout.fillWidth: true }
        GlassActionButton { compact: true; iconName: "download"; text: "CSV"; onClicked: nav.exportCsv() }
        GlassActionButton {
            compact: true
            iconOnly: true
            iconName: "folder"
            text: "Папка выгрузок"
            onClicked: nav.openFolder()
        }
    }

    // One half of the month in the common schedule.
    component CommonHalf: ColumnLayout {
        id: half
        property bool first: true
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.preferredWidth: 1
        spacing: 6
        Text {
            text: half.first ? "1–15" : "16–конец месяца"
            font.pixelSize: 15
            font.bold: true
            color: "#F6FAFF"
        }
        Text {
            Layout.fillWidth: true
            text: half.first ? employeeWorkspace.commonFirstHalfSummaryText
                             : employeeWorkspace.commonSecondHalfSummaryText
            font.pixelSize: 12
            color: "#8FA3C4"
            elide: Text.ElideRight
        }
        ListView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 4
            model: half.first ? employeeWorkspace.commonFirstHalf : employeeWorkspace.commonSecondHalf
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
            delegate: Rectangle {
                id: commonRow
                required property int index
                required property var modelData
                width: ListView.view.width - 8
                height: 58
                radius: 8
                color: index % 2 === 0 ? "#0D1522" : "#101A2A"
                ColumnLayout {
                    anchors.fill: parent
                    anchors.margins: 8
                    spacing: 2
                    RowLayout {
                        Layout.fillWidth: true
                        Text {
                            Layout.fillWidth: true
                            text: ELogic.text(commonRow.modelData.name)
                            font.pixelSize: 14
                            color: "#E8EEF8"
                            elide: Text.ElideRight
                        }
                        Text {
                            text: ELogic.text(commonRow.modelData.hours) + " ч"
                            font.pixelSize: 13
                            font.bold: true
                            color: "#8EE3BF"
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        text: "Дни: " + (commonRow.modelData.days || []).join(", ")
                              + "  ·  визиты " + (ELogic.trimmed(commonRow.modelData.visitLabel) || "—")
                              + "  ·  печать " + ELogic.text(commonRow.modelData.printCount)
                        font.pixelSize: 11
                        color: "#71829A"
                        elide: Text.ElideRight
                    }
                }
            }
        }
    }

    component FieldLabel: Text {
        font.pixelSize: 12
        color: "#8FA3C4"
    }

    component FeedRow: Rectangle {
        id: feedRow
        property int rowIndex: 0
        property string time: ""
        property string name: ""
        property string kind: ""
        property string detail: ""
        property color accent: "#7FD6FF"
        height: 52
        radius: 8
        color: rowIndex % 2 === 0 ? "#0D1522" : "#101A2A"
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: 12
            Text {
                Layout.preferredWidth: 70
                text: feedRow.time
                font.family: "Consolas"
                font.pixelSize: 13
                color: "#B9C7DD"
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2
                Text {
                    Layout.fillWidth: true
                    text: feedRow.name
                    font.pixelSize: 14
                    color: "#E8EEF8"
                    elide: Text.ElideRight
                }
                Text {
                    Layout.fillWidth: true
                    text: feedRow.detail
                    font.pixelSize: 11
                    color: "#71829A"
                    elide: Text.ElideRight
                }
            }
            Text {
                text: feedRow.kind
                font.pixelSize: 12
                font.bold: true
                color: feedRow.accent
            }
        }
    }

    RowLayout {
        anchors.fill: parent
        spacing: 16

        // --- the employee list ---
        GlassPanel {
            Layout.preferredWidth: 320
            Layout.fillHeight: true
            contentMargin: 12

            ColumnLayout {
                anchors.fill: parent
                spacing: 10
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    StatusPill {
                        label: "Сотрудники"
                        value: String(employeeWorkspace.employeeTotal)
                        iconName: "employees"
                        accent: "#7ECFFF"
                        minWidth: 80
                    }
                    StatusPill {
                        label: "Активны"
                        value: String(employeeWorkspace.employeeActive)
                        accent: "#8EE3BF"
                        minWidth: 80
                    }
                    Item { Layout.fillWidth: true }
                    GlassActionButton {
                        objectName: "addEmployeeButton"
                        compact: true
                        iconOnly: true
                        primary: true
                        iconName: "plus"
                        text: "Новый сотрудник"
                        onClicked: page.openNewEmployee()
                    }
                }
                GlassTextField {
                    Layout.fillWidth: true
                    placeholderText: "Поиск: имя, ID, роль, UID"
                    text: page.shell ? page.shell.employeeSearch : ""
                    onTextEdited: if (page.shell) page.shell.employeeSearch = text
                }
                ListView {
                    id: employeeView
                    objectName: "employeeListView"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    spacing: 4
                    model: employeeList
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                    delegate: Rectangle {
                        id: employeeRow
                        required property int index
                        required property string employeeId
                        required property string name
                        required property string meta
                        required property bool active
                        readonly property bool current: employeeId === page.selectedId
                        width: ListView.view.width - 8
                        height: 54
                        radius: 8
                        color: current ? "#16243A" : (index % 2 === 0 ? "#0D1522" : "#101A2A")
                        border.color: current ? "#7ECFFF" : "transparent"
                        MouseArea {
                            anchors.fill: parent
                            onClicked: employeeWorkspace.selectedEmployeeId = employeeRow.employeeId
                        }
                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 10
                            anchors.rightMargin: 10
                            spacing: 8
                            Rectangle {
                                implicitWidth: 8
                                implicitHeight: 8
                                radius: 4
                                color: employeeRow.active ? "#8EE3BF" : "#3A4A60"
                            }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 2
                                Text {
                                    Layout.fillWidth: true
                                    text: ELogic.trimmed(employeeRow.name) || employeeRow.employeeId
                                    font.pixelSize: 14
                                    color: "#E8EEF8"
                                    elide: Text.ElideRight
                                }
                                Text {
                                    Layout.fillWidth: true
                                    text: "ID " + employeeRow.employeeId + "  ·  " + employeeRow.meta
                                    font.pixelSize: 11
                                    color: "#71829A"
                                    elide: Text.ElideRight
                                }
                            }
                        }
                    }
                }
            }

            EmptyState {
                anchors.centerIn: parent
                width: parent.width - 30
                visible: employeeView.count === 0
                iconName: "employees"
                title: "Сотрудников нет"
                hint: ELogic.trimmed(page.shell ? page.shell.employeeSearch : "").length > 0
                      ? "По этому поиску никого не нашлось." : "Добавь сотрудника кнопкой «+»."
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 12

            RowLayout {
                Layout.fillWidth: true
                spacing: 4
                InlineTabButton { objectName: "employeesScheduleTab"; text: "Расписание"; active: page.tab === "schedule"; onClicked: page.setTab("schedule") }
                InlineTabButton { objectName: "employeesCommonTab"; text: "Общий график"; active: page.tab === "common"; onClicked: page.setTab("common") }
                InlineTabButton { objectName: "employeesAttendanceTab"; text: "Активность"; active: page.tab === "attendance"; onClicked: page.setTab("attendance") }
                InlineTabButton { objectName: "employeesArchiveTab"; text: "Архив"; active: page.tab === "archive"; onClicked: page.setTab("archive") }
                Item { Layout.fillWidth: true }
            }

            // The selected employee and what can be done with the card.
            GlassPanel {
                Layout.fillWidth: true
                contentMargin: 14
                ColumnLayout {
                    width: parent.width
                    spacing: 6
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            Text {
                                Layout.fillWidth: true
                                text: page.selectedId.length > 0 ? page.selectedName : "Сотрудник не выбран"
                                font.pixelSize: 17
                                font.bold: true
                                color: "#F6FAFF"
                                elide: Text.ElideRight
                            }
                            Text {
                                Layout.fillWidth: true
                                text: page.selectedId.length > 0
                                      ? "ID " + page.selectedId + "  ·  " + ELogic.text(page.selected.meta)
                                        + (ELogic.trimmed(page.selected.rfid).length > 0 ? "  ·  UID " + page.selected.rfid : "")
                                      : "Выбери сотрудника в списке слева."
                                font.pixelSize: 12
                                color: "#8FA3C4"
                                elide: Text.ElideRight
                            }
                        }
                        GlassActionButton { objectName: "editEmployeeButton"; compact: true; iconName: "key"; text: "Карточка"; enabled: page.selectedId.length > 0; onClicked: page.openEditEmployee() }
                        GlassActionButton { compact: true; iconName: "copy"; text: "QR"; enabled: page.selectedId.length > 0; onClicked: page.makeQr() }
                        GlassActionButton { compact: true; iconName: "printer"; text: "Бейдж"; enabled: page.selectedId.length > 0; onClicked: page.makeBadge() }
                        GlassActionButton { compact: true; tone: "danger"; iconName: "trash"; text: "Удалить"; enabled: page.selectedId.length > 0; onClicked: deleteDialog.open() }
                    }
                    Text {
                        Layout.alignment: Qt.AlignRight
                        text: "QR и PDF бейджа сохраняются в папку приложения."
                        font.pixelSize: 11
                        color: "#71829A"
                    }
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentMargin: 14
                // Tab content is rebuilt on every switch: a Loader, never hidden layouts.
                Loader {
                    anchors.fill: parent
                    sourceComponent: page.tab === "common" ? commonTab
                                   : page.tab === "attendance" ? attendanceTab
                                   : page.tab === "archive" ? archiveTab : scheduleTab
                }
            }
        }
    }

    // --- Расписание ---
    Component {
        id: scheduleTab
        ColumnLayout {
            spacing: 10
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                GlassActionButton {
                    objectName: "monthBackButton"
                    compact: true
                    text: "‹"
                    enabled: employeeWorkspace.scheduleMonth > 1
                    onClicked: page.stepMonth(-1)
                }
                Text {
                    Layout.preferredWidth: 150
                    horizontalAlignment: Text.AlignHCenter
                    text: employeeWorkspace.scheduleMonthLabel
                    font.pixelSize: 16
                    font.bold: true
                    color: "#F6FAFF"
                }
                GlassActionButton {
                    objectName: "monthForwardButton"
                    compact: true
                    text: "›"
                    enabled: employeeWorkspace.scheduleMonth < 12
                    onClicked: page.stepMonth(1)
                }
                Text {
                    Layout.fillWidth: true
                    text: "Месяц: " + employeeWorkspace.selectedMonthHoursText
                          + "  ·  1–15: " + employeeWorkspace.selectedFirstHalfHoursText
                          + "  ·  16–" + ELogic.daysInMonth(employeeWorkspace.scheduleYear, employeeWorkspace.scheduleMonth)
                          + ": " + employeeWorkspace.selectedSecondHalfHoursText
                          + "  ·  дней: " + employeeWorkspace.selectedFilledDays
                    font.pixelSize: 12
                    color: "#8FA3C4"
                    elide: Text.ElideRight
                }
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                enabled: page.selectedId.length > 0
                Text { text: "Смена по умолчанию"; font.pixelSize: 12; color: "#8FA3C4" }
                GlassTextField {
                    Layout.preferredWidth: 130
                    font.family: "Consolas"
                    text: page.shell ? page.shell.employeeBulkDefaultShift : ""
                    onTextEdited: if (page.shell) page.shell.employeeBulkDefaultShift = text
                }
                GlassActionButton {
                    compact: true
                    text: "Заполнить пустые"
                    onClicked: capture.run("Сотрудники", function () {
                        return employeeWorkspace.fillEmptyDefault(page.shell ? page.shell.employeeBulkDefaultShift : "")
                    })
                }
                GlassActionButton {
                    compact: true
                    text: "Выходные"
                    onClicked: capture.run("Сотрудники", function () { return employeeWorkspace.fillWeekendsOff() })
                }
                GlassActionButton {
                    compact: true
                    tone: "danger"
                    text: "Очистить месяц"
                    onClicked: capture.run("Сотрудники", function () { return employeeWorkspace.clearSelectedMonth() })
                }
                Item { Layout.fillWidth: true }
            }
            GridView {
                id: dayGrid
                objectName: "scheduleDayGrid"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                visible: page.selectedId.length > 0
                cellWidth: Math.floor(width / 7)
                cellHeight: 66
                model: employeeWorkspace.scheduleDays
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                delegate: Item {
                    id: dayCell
                    required property var modelData
                    readonly property int day: Number(modelData.day)
                    readonly property string value: ELogic.trimmed(modelData.value)
                    objectName: "day-" + ELogic.scheduleToken(day, value)
                    width: GridView.view.cellWidth
                    height: GridView.view.cellHeight
                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: 3
                        radius: 8
                        color: ELogic.shiftFillColor(dayCell.value)
                        border.color: Qt.darker(ELogic.shiftTextColor(dayCell.value), 1.8)
                        Text {
                            x: 8
                            y: 5
                            text: dayCell.day + " " + ELogic.weekdayLabel(employeeWorkspace.scheduleYear,
                                                                          employeeWorkspace.scheduleMonth, dayCell.day)
                            font.pixelSize: 11
                            font.bold: true
                            color: dayCell.modelData.weekend ? "#FFB8C6" : "#8FA3C4"
                        }
                        TextInput {
                            anchors.left: parent.left
                            anchors.right: parent.right
                            anchors.bottom: parent.bottom
                            anchors.margins: 8
                            text: dayCell.value
                            font.family: "Consolas"
                            font.pixelSize: 13
                            color: ELogic.shiftTextColor(dayCell.value)
                            selectByMouse: true
                            clip: true
                            onEditingFinished: {
                                if (ELogic.trimmed(text) !== dayCell.value) {
                                    var day = dayCell.day
                                    var value = text
                                    capture.run("Сотрудники", function () {
                                        return employeeWorkspace.setScheduleValue(day, value)
                                    })
                                }
                            }
                        }
                    }
                }
            }
            EmptyState {
                Layout.fillWidth: true
                Layout.fillHeight: true
                visible: page.selectedId.length === 0
                iconName: "employees"
                title: "График сотрудника"
                hint: "Выбери сотрудника, чтобы заполнить его смены на месяц."
            }
        }
    }

    // --- Общий график ---
    Component {
        id: commonTab
        ColumnLayout {
            spacing: 10
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                GlassActionButton { compact: true; text: "‹"; enabled: employeeWorkspace.scheduleMonth > 1; onClicked: page.stepMonth(-1) }
                Text {
                    Layout.preferredWidth: 150
                    horizontalAlignment: Text.AlignHCenter
                    text: employeeWorkspace.scheduleMonthLabel
                    font.pixelSize: 16
                    font.bold: true
                    color: "#F6FAFF"
                }
                GlassActionButton { compact: true; text: "›"; enabled: employeeWorkspace.scheduleMonth < 12; onClicked: page.stepMonth(1) }
                Item { Layout.fillWidth: true }
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.fillHeight: true
                spacing: 12
                CommonHalf { first: true }
                CommonHalf { first: false }
            }
        }
    }

    // --- Активность ---
    Component {
        id: attendanceTab
        ColumnLayout {
            spacing: 10
            DayNavigator {
                Layout.fillWidth: true
                date: employeeWorkspace.attendanceDate
                onlySelected: employeeWorkspace.attendanceOnlySelected
                onStep: function (delta) { employeeWorkspace.shiftAttendanceDateByAvailable(delta) }
                onToday: employeeWorkspace.attendanceDate = ELogic.isoDate(new Date())
                onToggleSelected: employeeWorkspace.attendanceOnlySelected = !employeeWorkspace.attendanceOnlySelected
                onExportCsv: page.exportAttendance()
                onOpenFolder: page.openExportsFolder()
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                StatusPill { label: "Входы"; value: String(employeeWorkspace.attendanceInCount); accent: "#8EE3BF" }
                StatusPill { label: "Выходы"; value: String(employeeWorkspace.attendanceOutCount); accent: "#7FD6FF" }
                StatusPill { label: "Опоздания"; value: String(employeeWorkspace.attendanceLateCount); accent: "#FF9CB1" }
                StatusPill { label: "Отработано"; value: employeeWorkspace.attendanceWorkedHoursText || "—"; accent: "#CDA4FF" }
                Item { Layout.fillWidth: true }
            }
            Text {
                Layout.fillWidth: true
                visible: text.length > 0
                text: employeeWorkspace.attendanceOnlySelected ? employeeWorkspace.selectedAttendanceSummaryText : ""
                font.pixelSize: 12
                color: "#8FA3C4"
            }
            ListView {
                id: attendanceList
                objectName: "attendanceList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                spacing: 4
                model: employeeWorkspace.attendanceEvents
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                delegate: FeedRow {
                    required property int index
                    required property var modelData
                    width: ListView.view.width - 8
                    rowIndex: index
                    time: ELogic.text(modelData.time)
                    name: ELogic.trimmed(modelData.name) || ELogic.text(modelData.employeeId)
                    kind: ELogic.text(modelData.typeLabel)
                    detail: ELogic.text(modelData.detail)
                    accent: modelData.late ? "#FF9CB1" : (modelData.type === "out" ? "#7FD6FF" : "#8EE3BF")
                }
                EmptyState {
                    anchors.centerIn: parent
                    width: parent.width - 30
                    visible: attendanceList.count === 0
                    iconName: "employees"
                    title: "Событий нет"
                    hint: "За этот день нет входов и выходов."
                }
            }
        }
    }

    // --- Архив ---
    Component {
        id: archiveTab
        ColumnLayout {
            spacing: 10
            DayNavigator {
                Layout.fillWidth: true
                date: employeeWorkspace.archiveDate
                onlySelected: employeeWorkspace.archiveOnlySelected
                onStep: function (delta) { employeeWorkspace.shiftArchiveDateByAvailable(delta) }
                onToday: employeeWorkspace.archiveDate = ELogic.isoDate(new Date())
                onToggleSelected: employeeWorkspace.archiveOnlySelected = !employeeWorkspace.archiveOnlySelected
                onExportCsv: page.exportArchive()
                onOpenFolder: page.openExportsFolder()
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                StatusPill { label: "Макеты"; value: String(employeeWorkspace.archivePrintCount); iconName: "printer"; accent: "#7ECFFF" }
                StatusPill { label: "Активность"; value: String(employeeWorkspace.archiveActiveCount); accent: "#8EE3BF" }
                StatusPill { label: "Квадратура"; value: employeeWorkspace.archiveAreaText || "—"; accent: "#CDA4FF" }
                StatusPill { label: "Визиты"; value: employeeWorkspace.archiveVisitHoursText || "—"; accent: "#F4C16D" }
                Item { Layout.fillWidth: true }
            }
            Text {
                Layout.fillWidth: true
                visible: text.length > 0
                text: employeeWorkspace.archiveOnlySelected ? employeeWorkspace.selectedArchiveSummaryText : ""
                font.pixelSize: 12
                color: "#8FA3C4"
            }
            ListView {
                id: archiveList
                objectName: "archiveList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                spacing: 4
                model: employeeWorkspace.archiveEvents
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                delegate: FeedRow {
                    required property int index
                    required property var modelData
                    width: ListView.view.width - 8
                    rowIndex: index
                    time: ELogic.text(modelData.time)
                    name: (ELogic.trimmed(modelData.name) || ELogic.text(modelData.employeeId))
                          + (ELogic.trimmed(modelData.file).length > 0 ? "  ·  " + ELogic.trimmed(modelData.file) : "")
                    kind: ELogic.text(modelData.typeLabel)
                    detail: ELogic.text(modelData.detail)
                    accent: modelData.type === "print" ? "#7ECFFF" : "#8EE3BF"
                }
                EmptyState {
                    anchors.centerIn: parent
                    width: parent.width - 30
                    visible: archiveList.count === 0
                    iconName: "employees"
                    title: "Архив пуст"
                    hint: "За этот день нет печатей и активаций."
                }
            }
        }
    }

    // --- the employee card dialog ---
    Popup {
        id: employeeDialog
        objectName: "employeeDialog"
        parent: Overlay.overlay
        modal: true
        focus: true
        z: 86
        anchors.centerIn: parent
        width: Math.min(620, (parent ? parent.width : 620) - 72)
        padding: 0
        closePolicy: Popup.CloseOnEscape
        Overlay.modal: Rectangle { color: "#B3081019" }
        background: Item {}
        onOpened: if (page.shell) page.shell.employeeEditorOpen = true
        onClosed: {
            if (page.shell)
                page.shell.employeeEditorOpen = false
            if (ELogic.trimmed(rfidService.pendingAction).length > 0)
                rfidService.clearPendingAction()
        }

        contentItem: GlassPanel {
            fillColor: "#101A2A"
            strokeColor: "#2B3F5E"
            showAccent: true
            contentMargin: 22
            ColumnLayout {
                anchors.fill: parent
                spacing: 8
                Text {
                    text: page.form.editing ? "Карточка сотрудника" : "Новый сотрудник"
                    font.pixelSize: 20
                    font.bold: true
                    color: "#F6FAFF"
                }
                GridLayout {
                    Layout.fillWidth: true
                    columns: 2
                    columnSpacing: 12
                    rowSpacing: 6
                    FieldLabel { text: "Имя" }
                    FieldLabel { text: "ID" }
                    GlassTextField {
                        objectName: "employeeNameField"
                        Layout.fillWidth: true
                        text: page.form.name
                        placeholderText: "Фамилия Имя"
                        onTextEdited: page.setFormField("name", text)
                    }
                    GlassTextField {
                        objectName: "employeeIdField"
                        Layout.fillWidth: true
                        text: page.form.id
                        readOnly: page.form.editing
                        placeholderText: "пусто — выдаст клиент"
                        onTextEdited: page.setFormField("id", text)
                    }
                    FieldLabel { text: "Роль" }
                    FieldLabel { text: "Смена по умолчанию" }
                    GlassTextField {
                        Layout.fillWidth: true
                        text: page.form.role
                        placeholderText: "резчик, печатник…"
                        onTextEdited: page.setFormField("role", text)
                    }
                    GlassTextField {
                        Layout.fillWidth: true
                        font.family: "Consolas"
                        text: page.form.defaultShift
                        onTextEdited: page.setFormField("defaultShift", text)
                    }
                }
                FieldLabel { text: "RFID UID" }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    GlassTextField {
                        objectName: "employeeRfidField"
                        Layout.fillWidth: true
                        font.family: "Consolas"
                        text: page.form.rfid
                        onTextEdited: page.setFormField("rfid", text)
                    }
                    GlassActionButton {
                        compact: true
                        text: "Последний UID"
                        enabled: ELogic.trimmed(rfidService.lastUid).length > 0
                        onClicked: page.setFormField("rfid", rfidService.lastUid)
                    }
                }
                FieldLabel { text: "Данные на карте (ID|Имя)" }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    GlassTextField {
                        objectName: "employeeCardDataField"
                        Layout.fillWidth: true
                        font.family: "Consolas"
                        text: page.form.rfidData
                        onTextEdited: page.setFormField("rfidData", text)
                    }
                    GlassActionButton {
                        compact: true
                        text: "По умолчанию"
                        onClicked: page.setFormField("rfidData", ELogic.defaultCardData(page.form.id, page.form.name))
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    GlassActionButton {
                        compact: true
                        iconName: "download"
                        text: "Считать карту"
                        onClicked: capture.run("RFID", function () { return rfidService.requestReadCard() })
                    }
                    GlassActionButton {
                        compact: true
                        iconName: "upload"
                        text: "Записать на карту"
                        enabled: ELogic.trimmed(page.form.rfidData).length > 0
                        onClicked: {
                            var data = ELogic.trimmed(page.form.rfidData)
                            capture.run("RFID", function () { return rfidService.requestWriteCard(data) })
                        }
                    }
                    GlassActionButton {
                        compact: true
                        iconName: "close"
                        text: "Отменить команду"
                        enabled: ELogic.trimmed(rfidService.pendingAction).length > 0
                        onClicked: rfidService.clearPendingAction()
                    }
                    Item { Layout.fillWidth: true }
                }
                Text {
                    Layout.fillWidth: true
                    text: ELogic.trimmed(rfidService.pendingAction).length > 0
                          ? "Приложи карту к считывателю…" : ELogic.text(rfidService.lastResponse)
                    font.pixelSize: 11
                    color: "#71829A"
                    elide: Text.ElideRight
                }
                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    spacing: 10
                    GlassActionButton { text: "Отмена"; onClicked: employeeDialog.close() }
                    GlassActionButton {
                        objectName: "employeeSaveButton"
                        primary: true
                        iconName: "save"
                        text: "Сохранить"
                        enabled: !employeeWorkspace.busy
                        onClicked: page.saveEmployee()
                    }
                }
            }
        }
    }

    // Removing takes the employee out of the list and the schedule: ask first.
    Popup {
        id: deleteDialog
        objectName: "deleteEmployeeDialog"
        parent: Overlay.overlay
        modal: true
        focus: true
        z: 86
        anchors.centerIn: parent
        width: Math.min(460, (parent ? parent.width : 460) - 72)
        padding: 0
        Overlay.modal: Rectangle { color: "#B3081019" }
        background: Item {}
        contentItem: GlassPanel {
            implicitHeight: 176
            fillColor: "#241520"
            strokeColor: "#FF9CB1"
            accentColor: "#FF7F9C"
            showAccent: true
            contentMargin: 22
            ColumnLayout {
                anchors.fill: parent
                spacing: 12
                Text {
                    text: "Удалить сотрудника"
                    font.pixelSize: 20
                    font.bold: true
                    color: "#F6FAFF"
                }
                Text {
                    Layout.fillWidth: true
                    text: page.selectedName + ". Сотрудник будет удалён из списка и графика."
                    font.pixelSize: 13
                    color: "#FFCAD4"
                    wrapMode: Text.Wrap
                }
                Item { Layout.fillHeight: true }
                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    spacing: 10
                    GlassActionButton { text: "Отмена"; onClicked: deleteDialog.close() }
                    GlassActionButton {
                        tone: "danger"
                        text: "Удалить"
                        onClicked: page.removeSelected()
                    }
                }
            }
        }
    }
}
