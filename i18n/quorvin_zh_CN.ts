<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>quorvin</name>
    <message>
        <source>Find the path device error !</source>
        <translation>查找路径设备时出错！</translation>
    </message>
    <message>
        <source>To track the status of the equipment error !</source>
        <translation>查询设备状态时出错！</translation>
    </message>
    <message>
        <source>Unable to open communication port !</source>
        <translation>无法打开通信端口！</translation>
    </message>
    <message>
        <source>To send data failed, please send again !</source>
        <translation>下发数据失败，请重新发送！</translation>
    </message>
    <message>
        <source>Equipment not connected, please connect equipment !</source>
        <translation>设备未连接，请连接设备！</translation>
    </message>
    <message>
        <source>Read data failed, please send again !</source>
        <translation>读取数据失败，请重新发送！</translation>
    </message>
    <message>
        <source>No file name was given.</source>
        <translation>没有给出文件名。</translation>
    </message>
    <message>
        <source>What stands at this path is not a regular file (a device, pipe, socket or folder); it is not replaced.</source>
        <translation>该路径上已有的不是普通文件（设备、管道、套接字或文件夹），不会被替换。</translation>
    </message>
    <message>
        <source>The file name is too long.</source>
        <translation>文件名太长。</translation>
    </message>
    <message>
        <source>Receiving data is not correct, please check whether the host is normal work !</source>
        <translation>接收数据不正确，请检查主机是否正常工作！</translation>
    </message>
    <message>
        <source>,In total %1 data packages, currently %2 data package sending ...</source>
        <translation>,共有%1包数据,当前第%2包数据正在发送...</translation>
    </message>
    <message>
        <source>Read backup data</source>
        <translation>回读备份数据</translation>
    </message>
    <message>
        <source>Read backup data successfully !</source>
        <translation>回读备份数据成功！</translation>
    </message>
    <message>
        <source>Read backup data failed !</source>
        <translation>回读备份数据失败！</translation>
    </message>
    <message>
        <source>The frequency must lie between %1 and %2 Hz.</source>
        <translation>频率必须在 %1 到 %2 Hz 之间。</translation>
    </message>
    <message>
        <source>Setuping frequency parameters...</source>
        <translation>正在设置频率.....</translation>
    </message>
    <message>
        <source>Setup frequency parameters failed !</source>
        <translation>设置频率失败！</translation>
    </message>
    <message>
        <source>Setup frequency parameters successfully !</source>
        <translation>设置频率成功！</translation>
    </message>
    <message>
        <source>Reading frequency ...</source>
        <translation>正在读取频率.....</translation>
    </message>
    <message>
        <source>Reading frequency failed !</source>
        <translation>读取频率失败！</translation>
    </message>
    <message>
        <source>Reading version failed !</source>
        <translation>读取版本号失败！</translation>
    </message>
    <message>
        <source>Reading version , please waiting ...</source>
        <translation>正在读取版本号，请耐心等待.......</translation>
    </message>
    <message>
        <source>Version :</source>
        <translation>当前版本号:</translation>
    </message>
    <message>
        <source>Download backup data</source>
        <translation>下载备份数据</translation>
    </message>
    <message>
        <source>Download successfully !</source>
        <translation>下载成功！</translation>
    </message>
    <message>
        <source>Download failed !</source>
        <translation>下载失败！</translation>
    </message>
    <message>
        <source> Update program </source>
        <translation>升级程序</translation>
    </message>
    <message>
        <source>Update successfully</source>
        <translation>升级成功！</translation>
    </message>
    <message>
        <source>Update failed</source>
        <translation>升级失败！</translation>
    </message>
    <message>
        <source>The file is empty !</source>
        <translation>文件为空！</translation>
    </message>
    <message>
        <source>Read backup data successful !</source>
        <translation>回读数据成功！</translation>
    </message>
    <message>
        <source>Reading version ...</source>
        <translation>正在读取版本号.....</translation>
    </message>
    <message>
        <source>,In total %1 data packages, currently %2 data package sending.......</source>
        <translation>,共有%1包数据,当前第%2包数据正在发送......</translation>
    </message>
    <message>
        <source> sending sucessfully !</source>
        <translation>发送成功</translation>
    </message>
    <message>
        <source> sending failure !</source>
        <translation>发送失败</translation>
    </message>
    <message>
        <source>The data are too large: at most %1 bytes can be sent.</source>
        <translation>数据太大：最多可以发送 %1 字节。</translation>
    </message>
    <message>
        <source>The file %1 is too large: at most %2 bytes can be sent.</source>
        <translation>文件 %1 太大：最多可以发送 %2 字节。</translation>
    </message>
    <message>
        <source>Cannot open the file %1.</source>
        <translation>无法打开文件 %1。</translation>
    </message>
    <message>
        <source>Reading the file %1 failed.</source>
        <translation>读取文件 %1 失败。</translation>
    </message>
    <message>
        <source>Cannot write the file %1.</source>
        <translation>无法写入文件 %1。</translation>
    </message>
    <message>
        <source>The port is busy: another program holds it.</source>
        <translation>端口正被其他程序占用。</translation>
    </message>
    <message>
        <source>The port is busy: %1 holds it.</source>
        <translation>端口正被其他程序占用：%1。</translation>
    </message>
    <message>
        <source>Comm：%1
</source>
        <translation>端口：%1
</translation>
    </message>
    <message>
        <source>Can not open comm !</source>
        <translation>无法打开端口！</translation>
    </message>
    <message>
        <source>Initialize call button data ...</source>
        <translation>初始化呼叫器数据.....</translation>
    </message>
    <message>
        <source>Initialize call button data failed !</source>
        <translation>初始化呼叫器数据失败！</translation>
    </message>
    <message>
        <source>Initialize call button data successfully !</source>
        <translation>初始化呼叫器数据成功！</translation>
    </message>
    <message>
        <source>Receive successful !</source>
        <translation>接收成功！</translation>
    </message>
    <message>
        <source>Return error data !</source>
        <translation>返回错误数据！</translation>
    </message>
    <message>
        <source>The serial port is no longer available (device removed or line hung up)</source>
        <translation>串口已不可用（设备已拔出或线路已挂断）</translation>
    </message>
    <message>
        <source>No device connected to PC !</source>
        <translation>没有设备连接到电脑上！</translation>
    </message>
    <message>
        <source>This operation works over USB only: leave out --port.</source>
        <translation>此操作只能通过USB进行，请去掉 --port 选项。</translation>
    </message>
    <message>
        <source>The file name %1 is not valid UTF-8: rename the file and try again.</source>
        <translation>文件名 %1 不是有效的 UTF-8 编码，请重命名该文件。</translation>
    </message>
    <message>
        <source> packet error</source>
        <translation>数据包错误</translation>
    </message>
    <message>
        <source> read failure</source>
        <translation>读取失败</translation>
    </message>
    <message>
        <source> sending sucessfully </source>
        <translation>发送成功</translation>
    </message>
    <message>
        <source>Update program ,In total %1 data packages, currently %2 data package sending.......</source>
        <translation>升级程序,共有%1包数据,当前第%2包数据正在发送...</translation>
    </message>
    <message>
        <source>Download backup data ,In total %1 data packages, currently %2 data package sending ...</source>
        <translation>下载备份数据,共有%1包数据,当前第%2包数据正在发送...</translation>
    </message>
    <message>
        <source>Read backup data ,In total %1 data packages, currently %2 data package sending ...</source>
        <translation>回读备份数据,共有%1包数据,当前第%2包数据正在发送...</translation>
    </message>
    <message>
        <source> (demo)</source>
        <translation>（演示）</translation>
    </message>
    <message>
        <source>COM:</source>
        <translation>串口号:</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>Read The Version</source>
        <translation>读取版本号</translation>
    </message>
    <message>
        <source>Rate:</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Download The Backup Data</source>
        <translation>下载备份数据</translation>
    </message>
    <message>
        <source>Upload The Backup Data</source>
        <translation>回读备份数据</translation>
    </message>
    <message>
        <source>Setup Frequency</source>
        <translation>设置频率</translation>
    </message>
    <message>
        <source>Initialize call button data</source>
        <translation>初始化呼叫器数据</translation>
    </message>
    <message>
        <source>The USB HID layer of this system could not start: USB devices cannot be used. The serial port still can.</source>
        <translation>本机的 USB HID 层无法启动：不能使用 USB 设备，串口仍可使用。</translation>
    </message>
    <message>
        <source>The report %1 cannot be written: %2</source>
        <translation>无法写入报告 %1：%2</translation>
    </message>
    <message>
        <source>Station stopped: %1 units, %2 passed, %3 failed.</source>
        <translation>工位已停止：共 %1 台，%2 台合格，%3 台不合格。</translation>
    </message>
    <message>
        <source>%1, line %2: %3</source>
        <translation>%1，第 %2 行：%3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>the key &quot;%1&quot; of the step %2 takes a text in quotes</source>
        <translation>步骤 %2 的键“%1”应为带引号的文本</translation>
    </message>
    <message>
        <source>the file %1 cannot be read: %2</source>
        <translation>无法读取文件 %1：%2</translation>
    </message>
    <message>
        <source>the file %1 is empty or larger than %2 bytes</source>
        <translation>文件 %1 为空或超过 %2 字节</translation>
    </message>
    <message>
        <source>sha256 must be 64 hexadecimal digits</source>
        <translation>sha256 必须是 64 位十六进制数字</translation>
    </message>
    <message>
        <source>the SHA-256 of %1 is %2, not the %3 the recipe pins</source>
        <translation>%1 的 SHA-256 为 %2，而配方规定的是 %3</translation>
    </message>
    <message>
        <source>the step needs the key &quot;do&quot; naming what to do</source>
        <translation>该步骤需要用键“do”指明要做什么</translation>
    </message>
    <message>
        <source>unknown step &quot;%1&quot;; the steps are: %2</source>
        <translation>未知步骤“%1”；可用的步骤有：%2</translation>
    </message>
    <message>
        <source>the step %1 does not take the key &quot;%2&quot;</source>
        <translation>步骤 %1 不接受键“%2”</translation>
    </message>
    <message>
        <source>the step %1 needs the key &quot;%2&quot;</source>
        <translation>步骤 %1 需要键“%2”</translation>
    </message>
    <message>
        <source>hz takes a whole number of hertz, without quotes</source>
        <translation>hz 应为不带引号的整数（单位赫兹）</translation>
    </message>
    <message>
        <source>the frequency %1 Hz is outside %2..%3 Hz</source>
        <translation>频率 %1 Hz 超出 %2..%3 Hz 的范围</translation>
    </message>
    <message>
        <source>the folder %1 does not exist or cannot be written</source>
        <translation>文件夹 %1 不存在或不可写</translation>
    </message>
    <message>
        <source>the recipe cannot be read: %1</source>
        <translation>无法读取配方：%1</translation>
    </message>
    <message>
        <source>not valid TOML: %1</source>
        <translation>不是有效的 TOML：%1</translation>
    </message>
    <message>
        <source>only [[step]] tables belong in a recipe, not &quot;%1&quot;</source>
        <translation>配方中只能有 [[step]] 表，不能有“%1”</translation>
    </message>
    <message>
        <source>the recipe has no steps: add [[step]] tables with do = &quot;...&quot;</source>
        <translation>配方中没有步骤：请添加带 do = &quot;...&quot; 的 [[step]] 表</translation>
    </message>
    <message>
        <source>PASS  %1  %2</source>
        <translation>合格  %1  %2</translation>
    </message>
    <message>
        <source>FAIL  %1  %2  %3</source>
        <translation>不合格  %1  %2  %3</translation>
    </message>
    <message>
        <source>The report %1 could not be written (%2): the station takes no more units. The unit&apos;s record: %3</source>
        <translation>无法写入报告 %1（%2）：工位不再接收新设备。该设备的记录：%3</translation>
    </message>
    <message>
        <source>already passed in this session: not run again</source>
        <translation>本次已合格，不再重复执行</translation>
    </message>
    <message>
        <source>SKIP  %1  %2  %3</source>
        <translation>跳过  %1  %2  %3</translation>
    </message>
    <message>
        <source>the same unit is still running in slot %1</source>
        <translation>同一设备仍在工位 %1 上运行</translation>
    </message>
    <message>
        <source>Scan or type the id of the unit in slot %1 (%2), then Enter: </source>
        <translation>请扫描或输入工位 %1（%2）上设备的编号，然后按回车：</translation>
    </message>
    <message>
        <source>No more input for unit ids: the station takes no more units.</source>
        <translation>已无法再输入设备编号：工位不再接收新设备。</translation>
    </message>
    <message>
        <source>the unit was unplugged</source>
        <translation>设备已被拔出</translation>
    </message>
    <message>
        <source>the unit reports version &quot;%1&quot;, the recipe expects &quot;%2&quot;</source>
        <translation>设备版本为“%1”，配方要求“%2”</translation>
    </message>
    <message>
        <source>the unit reports %1 Hz, the recipe sets %2 Hz</source>
        <translation>设备频率为 %1 Hz，配方设置的是 %2 Hz</translation>
    </message>
    <message>
        <source>waiting for a unit</source>
        <translation>等待设备接入</translation>
    </message>
    <message>
        <source>waiting for its id</source>
        <translation>等待输入编号</translation>
    </message>
    <message>
        <source>held: %1</source>
        <translation>暂停：%1</translation>
    </message>
    <message>
        <source>PASS, unplug it</source>
        <translation>合格，请拔下</translation>
    </message>
    <message>
        <source>FAIL at %1, unplug it</source>
        <translation>不合格（%1），请拔下</translation>
    </message>
    <message>
        <source>skipped: %1</source>
        <translation>已跳过：%1</translation>
    </message>
    <message>
        <source>Verify failed: the backup data could not be read back from the device.</source>
        <translation>校验失败：无法从设备读回备份数据。</translation>
    </message>
    <message>
        <source>Verify successfully: the device holds the same %1 bytes.</source>
        <translation>校验成功：设备中的 %1 字节与文件相同。</translation>
    </message>
    <message>
        <source>Verify failed: the first difference is at byte %1 and %2 bytes differ (the device holds %3 bytes, the file %4).</source>
        <translation>校验失败：第一处不同在第 %1 字节，共有 %2 字节不同（设备中有 %3 字节，文件有 %4 字节）。</translation>
    </message>
    <message>
        <source>Verify backup data</source>
        <translation>校验备份数据</translation>
    </message>
    <message>
        <source>~%1 left</source>
        <translation>剩余约 %1</translation>
    </message>
    <message>
        <source>the history could not be written: %1</source>
        <translation>无法写入历史记录：%1</translation>
    </message>
    <message>
        <source>Not a date: %1 (write it as 2026-12-01)</source>
        <translation>不是日期：%1（请写成 2026-12-01）</translation>
    </message>
    <message>
        <source>Stopping: no new units; the running ones finish first (Ctrl+C again stops at once).</source>
        <translation>正在停止：不再接收新设备，正在运行的设备先完成（再按一次 Ctrl+C 立即停止）。</translation>
    </message>
    <message>
        <source>The snapshot could not be taken, so nothing was changed: %1</source>
        <translation>无法保存快照，因此没有做任何更改：%1</translation>
    </message>
    <message>
        <source>Snapshot taken: %1</source>
        <translation>快照已保存：%1</translation>
    </message>
    <message>
        <source>This snapshot cannot be restored: %1</source>
        <translation>无法恢复此快照：%1</translation>
    </message>
    <message>
        <source>Repeater: %1</source>
        <translation>中继器：%1</translation>
    </message>
    <message>
        <source>Repeater: %1, version %2</source>
        <translation>中继器：%1，版本 %2</translation>
    </message>
    <message>
        <source>No repeater attached</source>
        <translation>未连接中继器</translation>
    </message>
    <message>
        <source>The repeater %1 is in use by another program (process %2). Try again once it has finished.</source>
        <translation>中继器 %1 正被另一个程序（进程 %2）使用。请在其完成后重试。</translation>
    </message>
    <message>
        <source>--device chooses a USB repeater: leave out --port.</source>
        <translation>--device 用于选择 USB 中继器：请去掉 --port。</translation>
    </message>
    <message>
        <source>The device selector is not understood: %1</source>
        <translation>无法识别设备选择：%1</translation>
    </message>
    <message>
        <source>No attached repeater matches %1. Attached:</source>
        <translation>没有与 %1 相符的已连接中继器。已连接的有：</translation>
    </message>
    <message>
        <source>Several repeaters fit %1: choose one by its location with --device:</source>
        <translation>有多台中继器与 %1 相符：请用 --device 按位置选择一台：</translation>
    </message>
    <message>
        <source>Several repeaters are attached: choose one with --device or QUORVIN_DEVICE:</source>
        <translation>已连接多台中继器：请用 --device 或 QUORVIN_DEVICE 选择一台：</translation>
    </message>
    <message>
        <source>The lock of the repeater %1 cannot be taken: %2</source>
        <translation>无法锁定中继器 %1：%2</translation>
    </message>
    <message>
        <source>The repeater %1 is in use by another program (process %2). Try again once it has finished, or add --wait-lock.</source>
        <translation>中继器 %1 正被另一个程序（进程 %2）使用。请在其完成后重试，或加上 --wait-lock。</translation>
    </message>
    <message>
        <source>Waiting for the repeater %1, in use by process %2 ...</source>
        <translation>正在等待中继器 %1，它正被进程 %2 使用 ...</translation>
    </message>
    <message>
        <source>Warning: several repeaters report the serial number %1; they are named by their port instead.</source>
        <translation>警告：多台中继器报告相同的序列号 %1；改用其端口位置来区分。</translation>
    </message>
    <message>
        <source>To find out why, run `quorvinctl doctor`</source>
        <translation>要查明原因，请运行 `quorvinctl doctor`</translation>
    </message>
    <message>
        <source>No repeater (USB 0483:1234) is attached.</source>
        <translation>没有连接中继器（USB 0483:1234）。</translation>
    </message>
    <message>
        <source>Plug the repeater in with a data cable and switch it on; `lsusb -d 0483:1234` then lists it.</source>
        <translation>用数据线连接中继器并打开电源；之后 `lsusb -d 0483:1234` 会列出它。</translation>
    </message>
    <message>
        <source>Repeaters on USB: %1; their hidraw nodes: %2.</source>
        <translation>USB 上的中继器：%1 个；其 hidraw 节点：%2 个。</translation>
    </message>
    <message>
        <source>The repeater is on USB but has no hidraw node.</source>
        <translation>中继器已在 USB 上，但没有 hidraw 节点。</translation>
    </message>
    <message>
        <source>Unplug it and plug it in again; `sudo dmesg | tail` tells why the HID driver did not take it.</source>
        <translation>拔下后重新插入；`sudo dmesg | tail` 会说明 HID 驱动为何没有接管它。</translation>
    </message>
    <message>
        <source>This user can open %1.</source>
        <translation>当前用户可以打开 %1。</translation>
    </message>
    <message>
        <source>This user may not open %1: %2.</source>
        <translation>当前用户无权打开 %1：%2。</translation>
    </message>
    <message>
        <source>The rule is installed but not applied to the node: run `sudo udevadm control --reload &amp;&amp; sudo udevadm trigger` and plug the repeater in again (access goes to the user at the local seat, not over ssh).</source>
        <translation>规则已安装但未应用到该节点：请运行 `sudo udevadm control --reload &amp;&amp; sudo udevadm trigger` 并重新插入中继器（访问权限只授予本地座席的用户，不适用于 ssh）。</translation>
    </message>
    <message>
        <source>Install the udev rule: `%1`, then plug the repeater in again.</source>
        <translation>请安装 udev 规则：`%1`，然后重新插入中继器。</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2.</source>
        <translation>无法打开 %1：%2。</translation>
    </message>
    <message>
        <source>Close any other program using the repeater and plug it in again.</source>
        <translation>关闭正在使用中继器的其他程序，然后重新插入。</translation>
    </message>
    <message>
        <source>No udev rule for the repeater is installed (looked in %1).</source>
        <translation>未安装中继器的 udev 规则（已查找 %1）。</translation>
    </message>
    <message>
        <source>Install it: `%1`.</source>
        <translation>请安装：`%1`。</translation>
    </message>
    <message>
        <source>The udev rule %1 is installed.</source>
        <translation>udev 规则 %1 已安装。</translation>
    </message>
    <message>
        <source>The udev rule %1 sorts after %2, so its uaccess tag comes too late to apply.</source>
        <translation>udev 规则 %1 排在 %2 之后，其 uaccess 标记来得太晚，不会生效。</translation>
    </message>
    <message>
        <source>Rename it: `%1`.</source>
        <translation>请重命名：`%1`。</translation>
    </message>
    <message>
        <source>The udev rule %1 relies on the uaccess tag, but %2, which applies it, is not installed.</source>
        <translation>udev 规则 %1 依赖 uaccess 标记，但应用该标记的 %2 未安装。</translation>
    </message>
    <message>
        <source>Give access by group instead: replace TAG+=&quot;uaccess&quot; in %1 with MODE=&quot;0660&quot;, GROUP=&quot;plugdev&quot; and run `sudo usermod -aG plugdev $USER`.</source>
        <translation>改为按用户组授权：将 %1 中的 TAG+=&quot;uaccess&quot; 替换为 MODE=&quot;0660&quot;, GROUP=&quot;plugdev&quot;，并运行 `sudo usermod -aG plugdev $USER`。</translation>
    </message>
    <message>
        <source>The udev rule %1 is installed and sorts before %2.</source>
        <translation>udev 规则 %1 已安装，且排在 %2 之前。</translation>
    </message>
    <message>
        <source>another process</source>
        <translation>另一个进程</translation>
    </message>
    <message>
        <source>%1 is held by %2.</source>
        <translation>%1 被 %2 占用。</translation>
    </message>
    <message>
        <source>Close %1, or stop it, and try again.</source>
        <translation>关闭或停止 %1 后重试。</translation>
    </message>
    <message>
        <source>This user may not open %1 (group %2).</source>
        <translation>当前用户无权打开 %1（用户组 %2）。</translation>
    </message>
    <message>
        <source>You were added to %1 since logging in: log out and in again.</source>
        <translation>您在登录后才被加入 %1：请注销后重新登录。</translation>
    </message>
    <message>
        <source>Run `sudo usermod -aG %1 $USER`, then log out and in again.</source>
        <translation>运行 `sudo usermod -aG %1 $USER`，然后注销并重新登录。</translation>
    </message>
    <message>
        <source>Unplug the adapter and plug it in again.</source>
        <translation>拔下适配器后重新插入。</translation>
    </message>
    <message>
        <source>No serial port is present (needed for the serial link only).</source>
        <translation>没有串口（仅串口连接需要）。</translation>
    </message>
    <message>
        <source>Neither ModemManager nor brltty is running: no one grabs USB-serial adapters.</source>
        <translation>ModemManager 和 brltty 均未运行：没有程序会抢占 USB 串口适配器。</translation>
    </message>
    <message>
        <source>%1 is running; it is known to take USB-serial adapters for itself.</source>
        <translation>%1 正在运行；它会抢占 USB 串口适配器。</translation>
    </message>
    <message>
        <source>Unless a braille display is used here: `%1`.</source>
        <translation>若本机不使用盲文显示器：`%1`。</translation>
    </message>
    <message>
        <source>Stop it while the repeater is in use: `%1`.</source>
        <translation>使用中继器期间请停止它：`%1`。</translation>
    </message>
    <message>
        <source>%1 is %2 bytes: over the %3 limit of %4 bytes.</source>
        <translation>%1 有 %2 字节：超过 %3 的上限 %4 字节。</translation>
    </message>
    <message>
        <source>No link takes it: use an image of at most %1 bytes.</source>
        <translation>任何连接都无法发送：请使用不超过 %1 字节的文件。</translation>
    </message>
    <message>
        <source>Send it over the serial link (--port NAME), which takes up to %1 bytes.</source>
        <translation>请通过串口发送（--port NAME），串口最多可发送 %1 字节。</translation>
    </message>
    <message>
        <source>%1 (%2 bytes) is within the %3 limit of %4 bytes.</source>
        <translation>%1（%2 字节）未超过 %3 的上限 %4 字节。</translation>
    </message>
    <message>
        <source>%1 is not a readable file.</source>
        <translation>%1 不是可读取的文件。</translation>
    </message>
    <message>
        <source>Check the name and the file&apos;s permissions.</source>
        <translation>请检查文件名和文件权限。</translation>
    </message>
    <message>
        <source>%1 is empty: there is nothing to send.</source>
        <translation>%1 是空文件：没有可发送的内容。</translation>
    </message>
    <message>
        <source>Choose the image or backup file itself.</source>
        <translation>请选择程序文件或备份文件本身。</translation>
    </message>
    <message>
        <source>serial</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>The device and port checks are not available on this system.</source>
        <translation>设备和端口检查在此系统上不可用。</translation>
    </message>
    <message>
        <source>Check the device and its driver in the system&apos;s device manager.</source>
        <translation>请在系统的设备管理器中检查设备及其驱动。</translation>
    </message>
    <message>
        <source>OK       %1</source>
        <translation>正常     %1</translation>
    </message>
    <message>
        <source>PROBLEM  %1 Fix: %2</source>
        <translation>问题     %1 解决方法：%2</translation>
    </message>
    <message>
        <source>the unit is in use by another program (process %1)</source>
        <translation>该设备正被其他程序使用（进程 %1）</translation>
    </message>
    <message>
        <source>The backup data were restored, but not the frequency: the snapshot holds none that the unit takes (%1..%2 Hz).</source>
        <translation>备份数据已恢复，但频率未恢复：快照中没有设备可接受的频率（%1..%2 Hz）。</translation>
    </message>
    <message>
        <source>This snapshot was taken from another unit (%1), not from this one (%2); add --force to restore it here anyway.</source>
        <translation>此快照来自另一台设备（%1），而不是这台（%2）；如仍要在此恢复，请加上 --force。</translation>
    </message>
    <message>
        <source>Warning: the units in slots %1 share the serial number %2; each is run and reported by its slot.</source>
        <translation>警告：插槽 %1 中的设备使用相同的序列号 %2；每台都会运行，并按插槽记录。</translation>
    </message>
    <message>
        <source>the unit could not be held for this run: %1</source>
        <translation>无法为本次运行占用该设备：%1</translation>
    </message>
    <message>
        <source>not a regular file (a pipe, device, socket or folder stands there)</source>
        <translation>不是普通文件（该路径上是管道、设备、套接字或文件夹）</translation>
    </message>
    <message>
        <source>The value given to %1 is not valid UTF-8: give it in UTF-8 (rename a file whose name is not) and try again.</source>
        <translation>%1 的值不是有效的 UTF-8 编码：请以 UTF-8 给出（文件名不是 UTF-8 的请先重命名该文件），然后重试。</translation>
    </message>
    <message>
        <source>The history %1 cannot be read: %2</source>
        <translation>无法读取历史记录 %1：%2</translation>
    </message>
    <message>
        <source>%1 is left out of the bundle: %2</source>
        <translation>%1 未放入打包文件：%2</translation>
    </message>
    <message>
        <source>the key &quot;file&quot; of the step %1 is empty: name the file</source>
        <translation>步骤 %1 的键“file”为空：请写明文件名</translation>
    </message>
    <message>
        <source>Only the units that match %1 are run.</source>
        <translation>只运行与 %1 匹配的设备。</translation>
    </message>
    <message>
        <source>No permission to use the device: the udev rule belongs in %1 (quorvinctl udev-rule prints it); with it in place, plug the repeater in again.</source>
        <translation>没有使用该设备的权限：udev 规则应放在 %1（quorvinctl udev-rule 可打印该规则）；放好后请重新插入中继器。</translation>
    </message>
    <message>
        <source>No permission to use the device.</source>
        <translation>没有使用该设备的权限。</translation>
    </message>
    <message>
        <source>Please enter the frequency in Hz, kHz or MHz, for example 433920000, 433920 kHz or 433.92 MHz.</source>
        <translation>请以 Hz、kHz 或 MHz 输入频率，例如 433920000、433920 kHz 或 433.92 MHz。</translation>
    </message>
    <message>
        <source>Please enter a whole number of Hz between %1 and %2.</source>
        <translation>请输入介于 %1 和 %2 之间的整数赫兹值。</translation>
    </message>
    <message>
        <source>Quorvin Setup</source>
        <translation>Quorvin 设置工具</translation>
    </message>
    <message>
        <source>Size: %1 bytes</source>
        <translation>大小：%1 字节</translation>
    </message>
    <message>
        <source>SHA-256: %1</source>
        <translation>SHA-256：%1</translation>
    </message>
    <message>
        <source>Upgrade the firmware of %1 with %2?</source>
        <translation>用 %2 升级 %1 的固件？</translation>
    </message>
    <message>
        <source>Send the backup data in %2 into %1? It replaces what %1 holds.</source>
        <translation>将 %2 中的备份数据下载到 %1？这会替换 %1 现有的数据。</translation>
    </message>
    <message>
        <source>Set the working frequency of %1 to %2 Hz (%3)?</source>
        <translation>将 %1 的工作频率设为 %2 Hz（%3）？</translation>
    </message>
    <message>
        <source>Initialize the call-button data of %1? Every call button it knows is erased.</source>
        <translation>初始化 %1 的呼叫器数据？它记录的所有呼叫器都会被清除。</translation>
    </message>
    <message>
        <source>Put the snapshot %2 back onto %1: its backup data, then its frequency?</source>
        <translation>将快照 %2 恢复到 %1：先恢复备份数据，再恢复频率？</translation>
    </message>
    <message>
        <source>&amp;Go ahead</source>
        <translation>执行(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
    <message>
        <source>Do not ask again for %1</source>
        <translation>不再为 %1 询问</translation>
    </message>
    <message>
        <source>Repeater</source>
        <translation>中继器</translation>
    </message>
    <message>
        <source>Repeater:</source>
        <translation>中继器：</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>位置：</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>Frequency:</source>
        <translation>频率：</translation>
    </message>
    <message>
        <source>State:</source>
        <translation>状态：</translation>
    </message>
    <message>
        <source>not read yet</source>
        <translation>尚未读取</translation>
    </message>
    <message>
        <source>%1 repeaters attached: choose one in the list</source>
        <translation>已连接 %1 台中继器：请在列表中选择一台</translation>
    </message>
    <message>
        <source>none</source>
        <translation>无</translation>
    </message>
    <message>
        <source>not attached</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>Work with the repeater chosen in the list, over USB</source>
        <translation>通过 USB 操作列表中选中的中继器</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Work over a serial port: upgrade, version and the backup transfers (no frequency, no call buttons)</source>
        <translation>通过串口操作：升级、版本号和备份数据传输（不支持频率和呼叫器）</translation>
    </message>
    <message>
        <source>The serial ports of this computer, in the system&apos;s order</source>
        <translation>本机的串口，按系统顺序列出</translation>
    </message>
    <message>
        <source>Serial speed</source>
        <translation>串口速率</translation>
    </message>
    <message>
        <source>Bits per second; the repeater&apos;s setting decides</source>
        <translation>每秒位数；以中继器的设置为准</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Upgrade the firmware...</source>
        <translation>升级固件(&amp;U)...</translation>
    </message>
    <message>
        <source>&amp;Download backup data into the repeater...</source>
        <translation>将备份数据下载到中继器(&amp;D)...</translation>
    </message>
    <message>
        <source>&amp;Read the backup data into a file...</source>
        <translation>将备份数据回读到文件(&amp;R)...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Repeater</source>
        <translation>中继器(&amp;R)</translation>
    </message>
    <message>
        <source>Read the &amp;version</source>
        <translation>读取版本号(&amp;V)</translation>
    </message>
    <message>
        <source>Read the &amp;frequency</source>
        <translation>回读频率(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Set the frequency</source>
        <translation>设置频率(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Initialize call button data</source>
        <translation>初始化呼叫器数据(&amp;I)</translation>
    </message>
    <message>
        <source>Look for repeaters &amp;again</source>
        <translation>重新查找中继器(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Ask before every change</source>
        <translation>每次更改前询问(&amp;A)</translation>
    </message>
    <message>
        <source>Read version and frequency on &amp;connect</source>
        <translation>连接时读取版本号和频率(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>语言(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>An operation is running. Stop it and close the window?</source>
        <translation>有操作正在进行。停止该操作并关闭窗口？</translation>
    </message>
    <message>
        <source>&amp;Stop and close</source>
        <translation>停止并关闭(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Keep it running</source>
        <translation>继续运行(&amp;K)</translation>
    </message>
    <message>
        <source>What should be done with %1 on %2?</source>
        <translation>要对 %2 用 %1 做什么？</translation>
    </message>
    <message>
        <source>&amp;Upgrade the firmware</source>
        <translation>升级固件(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Download the backup data</source>
        <translation>下载备份数据(&amp;D)</translation>
    </message>
    <message>
        <source>Choose the repeater in the list (or a serial port under Link), then use the buttons. Every change asks first; Cancel or Esc stops a running operation.
Alt and the underlined letter presses a button; Ctrl+Q quits; F5 looks for repeaters again.
The terminal tool quorvinctl does the same (quorvinctl --help).</source>
        <translation>在列表中选择中继器（或在“连接”中选择串口），然后使用按钮。每次更改前都会先询问；“取消”或 Esc 可停止正在进行的操作。
Alt 加带下划线的字母可按下对应按钮；Ctrl+Q 退出；F5 重新查找中继器。
终端工具 quorvinctl 可完成同样的操作（quorvinctl --help）。</translation>
    </message>
    <message>
        <source>the repeater</source>
        <translation>中继器</translation>
    </message>
    <message>
        <source>There is no serial port to use: plug in the adapter, or choose USB under Link.</source>
        <translation>没有可用的串口：请插入串口适配器，或在“连接”中选择 USB。</translation>
    </message>
    <message>
        <source>Several repeaters are attached: choose one in the list first.</source>
        <translation>连接了多台中继器：请先在列表中选择一台。</translation>
    </message>
    <message>
        <source>Choose the firmware image</source>
        <translation>选择固件文件</translation>
    </message>
    <message>
        <source>Firmware images (*.bin)</source>
        <translation>固件文件 (*.bin)</translation>
    </message>
    <message>
        <source>Choose the backup data to send into the repeater</source>
        <translation>选择要下载到中继器的备份数据</translation>
    </message>
    <message>
        <source>Backup data (*.bin)</source>
        <translation>备份数据 (*.bin)</translation>
    </message>
    <message>
        <source>Save the repeater&apos;s backup data as</source>
        <translation>将中继器的备份数据另存为</translation>
    </message>
    <message>
        <source>in use by another program (process %1)</source>
        <translation>正被其他程序使用（进程 %1）</translation>
    </message>
    <message>
        <source>Serial link: no serial port on this computer</source>
        <translation>串口连接：本机没有串口</translation>
    </message>
    <message>
        <source>Serial link: %1 at %2 bit/s</source>
        <translation>串口连接：%1，%2 bit/s</translation>
    </message>
    <message>
        <source>no permission to open it</source>
        <translation>没有打开它的权限</translation>
    </message>
    <message>
        <source>does not answer</source>
        <translation>没有应答</translation>
    </message>
    <message>
        <source>Write the frequency in the field into the repeater (asks first)</source>
        <translation>将输入框中的频率写入中继器（先询问）</translation>
    </message>
    <message>
        <source>Read Frequency</source>
        <translation>回读频率</translation>
    </message>
    <message>
        <source>Read the repeater&apos;s working frequency into the field</source>
        <translation>将中继器的工作频率读到输入框</translation>
    </message>
    <message>
        <source>Upgrade the repeater&apos;s firmware from a .bin file (asks first)</source>
        <translation>用 .bin 文件升级中继器固件（先询问）</translation>
    </message>
    <message>
        <source>Read the firmware version</source>
        <translation>读取固件版本号</translation>
    </message>
    <message>
        <source>Erase the call-button data the repeater holds (asks first)</source>
        <translation>清除中继器保存的呼叫器数据（先询问）</translation>
    </message>
    <message>
        <source>Send backup data from a .bin file into the repeater (asks first)</source>
        <translation>将 .bin 文件中的备份数据下载到中继器（先询问）</translation>
    </message>
    <message>
        <source>Read the repeater&apos;s backup data into a file</source>
        <translation>将中继器的备份数据回读到文件</translation>
    </message>
    <message>
        <source>Working frequency</source>
        <translation>工作频率</translation>
    </message>
    <message>
        <source>The repeater&apos;s working frequency: in Hz, kHz or MHz (433920000, 433.92 MHz); Enter sets it</source>
        <translation>中继器的工作频率：以 Hz、kHz 或 MHz 输入（433920000、433.92 MHz）；按 Enter 设置</translation>
    </message>
    <message>
        <source>Unit: hertz</source>
        <translation>单位：赫兹</translation>
    </message>
    <message>
        <source>The frequency in MHz</source>
        <translation>以 MHz 表示的频率</translation>
    </message>
    <message>
        <source>Works over USB only: the serial link has no command for it</source>
        <translation>仅在 USB 下可用：串口连接没有此命令</translation>
    </message>
    <message>
        <source>Verify after download</source>
        <translation>下载后校验</translation>
    </message>
    <message>
        <source>After a backup download, read it back and compare it byte by byte with the file</source>
        <translation>下载备份数据后将其回读，并与文件逐字节比较</translation>
    </message>
    <message>
        <source>Snapshot before every change</source>
        <translation>每次更改前保存快照</translation>
    </message>
    <message>
        <source>Before a change over USB, keep the repeater&apos;s version, frequency and backup data to restore later</source>
        <translation>通过 USB 更改前，保存中继器的版本号、频率和备份数据，以便日后恢复</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 小时 %2 分</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>%1 %, about %2 left</source>
        <translation>%1 %，约剩 %2</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>正在停止...</translation>
    </message>
    <message>
        <source>Stop the operation (Esc). An earlier file is kept; a stopped upgrade must be done again.</source>
        <translation>停止操作（Esc）。原有文件会保留；停止的升级必须重新进行。</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>进度</translation>
    </message>
    <message>
        <source>What the operation is doing</source>
        <translation>操作正在进行的步骤</translation>
    </message>
    <message>
        <source>Percent done and time left</source>
        <translation>完成百分比和剩余时间</translation>
    </message>
    <message>
        <source>Cancel the operation</source>
        <translation>取消操作</translation>
    </message>
    <message>
        <source>Operation in progress</source>
        <translation>操作进行中</translation>
    </message>
    <message>
        <source>Waiting for the device (%1) ...</source>
        <translation>正在等待设备（%1）...</translation>
    </message>
    <message>
        <source>The chosen repeater is not attached any more.</source>
        <translation>选中的中继器已不再连接。</translation>
    </message>
    <message>
        <source>The repeater may now hold a partial firmware: upgrade it again before using it.</source>
        <translation>中继器现在可能只有部分固件：使用前请重新升级。</translation>
    </message>
    <message>
        <source>Check that the repeater is plugged in and powered; it then appears in the list.</source>
        <translation>请检查中继器是否已插好并通电；之后它会出现在列表中。</translation>
    </message>
    <message>
        <source>This user may not open it. The udev rule belongs in %1 (quorvinctl udev-rule prints it); with it in place, plug the repeater in again. Help &gt; Doctor checks the set-up.</source>
        <translation>当前用户无权打开它。udev 规则应放在 %1（quorvinctl udev-rule 可打印该规则）；放好后请重新插入中继器。“帮助 &gt; 诊断”可检查设置。</translation>
    </message>
    <message>
        <source>Wait until the other program has finished, then try again.</source>
        <translation>请等待其他程序完成后再试。</translation>
    </message>
    <message>
        <source>Help &gt; Doctor (or quorvinctl doctor) finds out why.</source>
        <translation>“帮助 &gt; 诊断”（或 quorvinctl doctor）可查明原因。</translation>
    </message>
    <message>
        <source>Try again. If it fails again, save a support bundle (File menu) and send it to support.</source>
        <translation>请重试。如果仍然失败，请保存支持包（文件菜单）并发送给技术支持。</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 字节</translation>
    </message>
    <message>
        <source>File: %1 (%2)</source>
        <translation>文件：%1（%2）</translation>
    </message>
    <message>
        <source>Version: %1 → %2</source>
        <translation>版本：%1 → %2</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>完成。</translation>
    </message>
    <message>
        <source>The operation was stopped.</source>
        <translation>操作已停止。</translation>
    </message>
    <message>
        <source>%1 is left as it was.</source>
        <translation>%1 保持原样。</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>操作失败。</translation>
    </message>
    <message>
        <source>The snapshot before the change could not be taken, so nothing was changed.</source>
        <translation>更改前无法保存快照，因此没有做任何更改。</translation>
    </message>
    <message>
        <source>The repeater ended the transfer without saying whether it took the data.</source>
        <translation>中继器结束了传输，但没有说明是否已接收数据。</translation>
    </message>
    <message>
        <source>Cause: %1</source>
        <translation>原因：%1</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Frequency</source>
        <translation>频率</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Attached repeaters</source>
        <translation>已连接的中继器</translation>
    </message>
    <message>
        <source>Choose the repeater the buttons work on</source>
        <translation>选择按钮要操作的中继器</translation>
    </message>
    <message>
        <source>Frequency (Hz)</source>
        <translation>频率（Hz）</translation>
    </message>
    <message>
        <source>Backup (bytes)</source>
        <translation>备份（字节）</translation>
    </message>
    <message>
        <source>Backup state</source>
        <translation>备份状态</translation>
    </message>
    <message>
        <source>Snapshots</source>
        <translation>快照</translation>
    </message>
    <message>
        <source>The snapshots kept on this computer, newest first. Choose one to restore it.</source>
        <translation>本机保存的快照，最新的在前。选择一个即可恢复。</translation>
    </message>
    <message>
        <source>Where the snapshots are kept</source>
        <translation>快照的存放位置</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>刷新(&amp;R)</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>List the snapshots again and check their backups</source>
        <translation>重新列出快照并检查其备份</translation>
    </message>
    <message>
        <source>Re&amp;store...</source>
        <translation>恢复(&amp;S)...</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>恢复</translation>
    </message>
    <message>
        <source>Put the chosen snapshot back on the repeater: its backup data, then its frequency</source>
        <translation>将所选快照恢复到中继器上：先恢复备份数据，再恢复频率</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>The snapshot holds no frequency the unit takes: a restore puts back its backup data only.</source>
        <translation>快照中没有设备可接受的频率：恢复时只恢复备份数据。</translation>
    </message>
    <message>
        <source>checking...</source>
        <translation>正在检查...</translation>
    </message>
    <message>
        <source>The backup is being compared with its recorded SHA-256.</source>
        <translation>正在将备份与记录的 SHA-256 进行比对。</translation>
    </message>
    <message>
        <source>intact</source>
        <translation>完好</translation>
    </message>
    <message>
        <source>The backup still matches its recorded size and SHA-256.</source>
        <translation>备份仍与记录的大小和 SHA-256 相符。</translation>
    </message>
    <message>
        <source>changed — cannot be restored</source>
        <translation>已改变 — 无法恢复</translation>
    </message>
    <message>
        <source>The backup is missing or no longer matches the size and SHA-256 recorded when it was taken.</source>
        <translation>备份已丢失，或已与拍摄快照时记录的大小和 SHA-256 不符。</translation>
    </message>
    <message>
        <source>Snapshots are kept in %1</source>
        <translation>快照存放在 %1</translation>
    </message>
    <message>
        <source>Looking for snapshots in %1 ...</source>
        <translation>正在 %1 中查找快照 ...</translation>
    </message>
    <message>
        <source>Snapshots: %1, kept in %2</source>
        <translation>快照：%1 个，存放在 %2</translation>
    </message>
    <message>
        <source>The snapshot of %1 taken %2 has changed since it was listed and cannot be restored.</source>
        <translation>%1 于 %2 拍摄的快照在列出后已改变，无法恢复。</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>程序</translation>
    </message>
    <message>
        <source>Operation</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Fault</source>
        <translation>故障</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>设备(&amp;U)：</translation>
    </message>
    <message>
        <source>Show the entries of one unit only</source>
        <translation>只显示一台设备的记录</translation>
    </message>
    <message>
        <source>All units</source>
        <translation>全部设备</translation>
    </message>
    <message>
        <source>&amp;From</source>
        <translation>从(&amp;F)</translation>
    </message>
    <message>
        <source>From a day</source>
        <translation>起始日期</translation>
    </message>
    <message>
        <source>Show only the entries from this day on</source>
        <translation>只显示从这一天起的记录</translation>
    </message>
    <message>
        <source>First day shown</source>
        <translation>显示的第一天</translation>
    </message>
    <message>
        <source>The first day shown (local time)</source>
        <translation>显示的第一天（本地时间）</translation>
    </message>
    <message>
        <source>&amp;To</source>
        <translation>到(&amp;T)</translation>
    </message>
    <message>
        <source>To a day</source>
        <translation>截止日期</translation>
    </message>
    <message>
        <source>Show only the entries up to this day</source>
        <translation>只显示到这一天为止的记录</translation>
    </message>
    <message>
        <source>Last day shown</source>
        <translation>显示的最后一天</translation>
    </message>
    <message>
        <source>The last day shown (local time)</source>
        <translation>显示的最后一天（本地时间）</translation>
    </message>
    <message>
        <source>Read the history again</source>
        <translation>重新读取历史记录</translation>
    </message>
    <message>
        <source>History status</source>
        <translation>历史记录状态</translation>
    </message>
    <message>
        <source>History</source>
        <translation>历史记录</translation>
    </message>
    <message>
        <source>What the window and quorvinctl did, newest first, one operation a line</source>
        <translation>窗口和 quorvinctl 做过的操作，最新的在前，每行一次操作</translation>
    </message>
    <message>
        <source>Reading the history %1 ...</source>
        <translation>正在读取历史记录 %1 ...</translation>
    </message>
    <message>
        <source>No history yet. Every operation of the window and of quorvinctl is recorded in %1</source>
        <translation>还没有历史记录。窗口和 quorvinctl 的每次操作都会记录在 %1</translation>
    </message>
    <message>
        <source>%1 of %2 entries shown, from %3</source>
        <translation>显示 %2 条记录中的 %1 条，来自 %3</translation>
    </message>
    <message>
        <source>Lines that are not entries, left out: %1</source>
        <translation>不是记录而被略去的行：%1</translation>
    </message>
    <message>
        <source>Reading it again ...</source>
        <translation>正在重新读取 ...</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>What the window did this session: operations, warnings and faults</source>
        <translation>窗口在本次运行中做过的事：操作、警告和故障</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>Copy the log</source>
        <translation>复制日志</translation>
    </message>
    <message>
        <source>Copy the whole log to the clipboard</source>
        <translation>将整个日志复制到剪贴板</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Save the log</source>
        <translation>保存日志</translation>
    </message>
    <message>
        <source>Save the whole log to a text file</source>
        <translation>将整个日志保存为文本文件</translation>
    </message>
    <message>
        <source>Warning:</source>
        <translation>警告：</translation>
    </message>
    <message>
        <source>FAULT:</source>
        <translation>故障：</translation>
    </message>
    <message>
        <source>The log was saved to %1</source>
        <translation>日志已保存到 %1</translation>
    </message>
    <message>
        <source>About quorvin-setup</source>
        <translation>关于 quorvin-setup</translation>
    </message>
    <message>
        <source>&amp;Files</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Licence</source>
        <translation>许可证(&amp;L)</translation>
    </message>
    <message>
        <source>The tool&apos;s version, where it keeps things, its licence</source>
        <translation>本工具的版本、各类文件的存放位置及其许可证</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>页面</translation>
    </message>
    <message>
        <source>Name and version</source>
        <translation>名称和版本</translation>
    </message>
    <message>
        <source>Sets up the radio repeater over USB or a serial port: firmware, backup data, frequency, buttons.</source>
        <translation>通过 USB 或串口设置无线中继器：固件、备份数据、频率、呼叫器。</translation>
    </message>
    <message>
        <source>What the tool does</source>
        <translation>本工具的用途</translation>
    </message>
    <message>
        <source>The version of quorvin-setup</source>
        <translation>quorvin-setup 的版本</translation>
    </message>
    <message>
        <source>MIT License (see Licence)</source>
        <translation>MIT 许可证（见“许可证”页）</translation>
    </message>
    <message>
        <source>Licence:</source>
        <translation>许可证：</translation>
    </message>
    <message>
        <source>The licence quorvin-setup is given under</source>
        <translation>quorvin-setup 所采用的许可证</translation>
    </message>
    <message>
        <source>%1 (built with %2)</source>
        <translation>%1（构建时使用 %2）</translation>
    </message>
    <message>
        <source>Qt:</source>
        <translation>Qt：</translation>
    </message>
    <message>
        <source>The Qt version the window runs on, and the one it was built with</source>
        <translation>窗口运行时使用的 Qt 版本，以及构建时使用的版本</translation>
    </message>
    <message>
        <source>hidapi:</source>
        <translation>hidapi：</translation>
    </message>
    <message>
        <source>The version of the USB HID library the window runs on</source>
        <translation>窗口运行时使用的 USB HID 库的版本</translation>
    </message>
    <message>
        <source>&amp;History:</source>
        <translation>历史记录(&amp;H)：</translation>
    </message>
    <message>
        <source>Where every operation of the window and of quorvinctl is recorded</source>
        <translation>窗口和 quorvinctl 的每次操作都记录在此处</translation>
    </message>
    <message>
        <source>Newest &amp;recording:</source>
        <translation>最新录制(&amp;R)：</translation>
    </message>
    <message>
        <source>Where a copy of the newest recording of the traffic is kept for support</source>
        <translation>最新一次通信录制的副本存放在此处，供技术支持使用</translation>
    </message>
    <message>
        <source>&amp;Snapshots:</source>
        <translation>快照(&amp;S)：</translation>
    </message>
    <message>
        <source>The folder that holds the snapshots taken before changes</source>
        <translation>存放修改前所拍快照的文件夹</translation>
    </message>
    <message>
        <source>Se&amp;ttings:</source>
        <translation>设置(&amp;T)：</translation>
    </message>
    <message>
        <source>The window&apos;s settings (on Windows, a registry key)</source>
        <translation>窗口的设置（在 Windows 上为注册表项）</translation>
    </message>
    <message>
        <source>Licence text</source>
        <translation>许可证全文</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>关闭此窗口</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>shares its serial number</source>
        <translation>序列号与其他设备相同</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>What was found</source>
        <translation>发现的情况</translation>
    </message>
    <message>
        <source>How to fix it</source>
        <translation>解决方法</translation>
    </message>
    <message>
        <source>What the doctor found</source>
        <translation>诊断发现的问题</translation>
    </message>
    <message>
        <source>Each check: OK, or PROBLEM with the step that fixes it</source>
        <translation>每项检查：正常，或问题及其解决步骤</translation>
    </message>
    <message>
        <source>Check again</source>
        <translation>重新检查</translation>
    </message>
    <message>
        <source>Look at the repeater, the udev rule and the ports again</source>
        <translation>重新检查中继器、udev 规则和串口</translation>
    </message>
    <message>
        <source>The doctor&apos;s verdict</source>
        <translation>诊断结论</translation>
    </message>
    <message>
        <source>Doctor</source>
        <translation>诊断</translation>
    </message>
    <message>
        <source>Checking...</source>
        <translation>正在检查...</translation>
    </message>
    <message>
        <source>All is well.</source>
        <translation>一切正常。</translation>
    </message>
    <message>
        <source>%1 problems found: each says how to fix it.</source>
        <translation>发现 %1 个问题：每个问题都附有解决方法。</translation>
    </message>
    <message>
        <source>Save a support bundle as</source>
        <translation>将支持包另存为</translation>
    </message>
    <message>
        <source>Support bundles (*.tar)</source>
        <translation>支持包 (*.tar)</translation>
    </message>
    <message>
        <source>Save the &amp;log...</source>
        <translation>保存日志(&amp;L)...</translation>
    </message>
    <message>
        <source>Save a support &amp;bundle...</source>
        <translation>保存支持包(&amp;B)...</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Log</source>
        <translation>日志(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Snapshots</source>
        <translation>快照(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;History</source>
        <translation>历史记录(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Doctor</source>
        <translation>诊断(&amp;D)</translation>
    </message>
    <message>
        <source>A snapshot is put back over USB: choose USB under Link.</source>
        <translation>快照通过 USB 恢复：请在“连接”中选择 USB。</translation>
    </message>
    <message>
        <source>The snapshot %1 was taken from another unit (%2), not from this one (%3). Put it onto %3 anyway? Its backup data and frequency replace what %3 holds.</source>
        <translation>快照 %1 取自另一台设备（%2），而不是这台（%3）。仍要恢复到 %3 吗？它的备份数据和频率会替换 %3 现有的内容。</translation>
    </message>
    <message>
        <source>&amp;Restore onto this unit</source>
        <translation>恢复到这台设备(&amp;R)</translation>
    </message>
    <message>
        <source>The support bundle is saved: %1</source>
        <translation>支持包已保存：%1</translation>
    </message>
    <message>
        <source>Repeater attached: %1 (%2)</source>
        <translation>已连接中继器：%1（%2）</translation>
    </message>
    <message>
        <source>A repeater was unplugged.</source>
        <translation>有一台中继器被拔出。</translation>
    </message>
    <message>
        <source>Views</source>
        <translation>视图</translation>
    </message>
    <message>
        <source>The log, the snapshots, the history and the doctor</source>
        <translation>日志、快照、历史记录和诊断</translation>
    </message>
    <message>
        <source>The chosen repeater %1 is not attached: plug it in again, or choose another in the list.</source>
        <translation>选中的中继器 %1 未连接：请重新插入，或在列表中选择另一台。</translation>
    </message>
    <message>
        <source>This user may not open the port: add the user to the port&apos;s group (on most systems: sudo usermod -aG dialout $USER), then log in again. Help &gt; Doctor names the group.</source>
        <translation>当前用户无权打开该串口：请将用户加入该串口所属的组（大多数系统上：sudo usermod -aG dialout $USER），然后重新登录。“帮助 &gt; 诊断”会列出该组。</translation>
    </message>
    <message>
        <source>the last operation failed</source>
        <translation>上一次操作失败</translation>
    </message>
    <message>
        <source>answers, but not as a repeater should</source>
        <translation>有应答，但不像中继器应有的应答</translation>
    </message>
    <message>
        <source>a request could not be sent to the repeater</source>
        <translation>请求无法发送到中继器</translation>
    </message>
    <message>
        <source>the repeater gave no valid reply in time</source>
        <translation>中继器未在规定时间内给出有效应答</translation>
    </message>
    <message>
        <source>the repeater refused the request</source>
        <translation>中继器拒绝了该请求</translation>
    </message>
    <message>
        <source>a reply from the repeater was damaged</source>
        <translation>中继器的应答已损坏</translation>
    </message>
    <message>
        <source>a packet of the read-back did not arrive</source>
        <translation>回读的一个数据包没有到达</translation>
    </message>
    <message>
        <source>a packet of the read-back was damaged</source>
        <translation>回读的一个数据包已损坏</translation>
    </message>
    <message>
        <source>the read-back&apos;s packets came out of order</source>
        <translation>回读的数据包顺序错乱</translation>
    </message>
    <message>
        <source>the serial port failed or went away</source>
        <translation>串口出错或已断开</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>无法读取该文件</translation>
    </message>
    <message>
        <source>the data are too large for the link</source>
        <translation>数据太大，无法经此连接发送</translation>
    </message>
    <message>
        <source>there is nothing to send</source>
        <translation>没有可发送的数据</translation>
    </message>
    <message>
        <source>the file cannot be written there</source>
        <translation>无法在该位置写入文件</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>无法写入该文件</translation>
    </message>
    <message>
        <source>a value the repeater cannot take</source>
        <translation>中继器无法接受该数值</translation>
    </message>
    <message>
        <source>what the repeater holds differs from what was sent</source>
        <translation>中继器中的数据与发送的数据不同</translation>
    </message>
    <message>
        <source>Details: %1</source>
        <translation>详情：%1</translation>
    </message>
    <message>
        <source>A snapshot is taken over USB: choose USB under Link.</source>
        <translation>快照通过 USB 获取：请在“连接”中选择 USB。</translation>
    </message>
    <message>
        <source>&amp;Take snapshot</source>
        <translation>立即快照(&amp;T)</translation>
    </message>
    <message>
        <source>Take snapshot</source>
        <translation>立即快照</translation>
    </message>
    <message>
        <source>Keep the chosen repeater&apos;s version, frequency and backup data on this computer now</source>
        <translation>立即将所选中继器的版本、频率和备份数据保存在本机</translation>
    </message>
    <message>
        <source>No snapshots yet. Take one with Take snapshot, or tick Snapshot before every change; they are kept in %1</source>
        <translation>还没有快照。可用“立即快照”获取，或勾选“每次更改前保存快照”；快照保存在 %1</translation>
    </message>
    <message>
        <source>the last change was stopped part-way</source>
        <translation>上次更改中途被停止</translation>
    </message>
    <message>
        <source>The system&apos;s USB HID layer starts.</source>
        <translation>系统的 USB HID 层可以启动。</translation>
    </message>
    <message>
        <source>The system&apos;s USB HID layer could not start: no repeater can be reached over USB.</source>
        <translation>系统的 USB HID 层无法启动：无法通过 USB 连接任何中继器。</translation>
    </message>
    <message>
        <source>This system lacks functions of hid.dll or cfgmgr32.dll that USB access needs: run the tool on Windows 7 or later with its updates, or use the serial link (--port COMn), which does not need them.</source>
        <translation>本系统缺少 USB 访问所需的 hid.dll 或 cfgmgr32.dll 函数：请在已安装更新的 Windows 7 或更高版本上运行本工具，或改用串口连接（--port COMn），串口不需要这些函数。</translation>
    </message>
    <message>
        <source>Enable it: in Device Manager, right-click it and choose Enable device.</source>
        <translation>启用它：在设备管理器中右键单击它，选择“启用设备”。</translation>
    </message>
    <message>
        <source>The repeater reported a fault to Windows: unplug it, switch it off and on, and plug it into another USB socket, with another cable if that does not help.</source>
        <translation>中继器向 Windows 报告了故障：拔下它，关机再开机，然后插到另一个 USB 接口上；如果仍不行，请换一根数据线。</translation>
    </message>
    <message>
        <source>In Device Manager, right-click it, choose Uninstall device, then unplug it and plug it in again: Windows installs its own HID driver for it.</source>
        <translation>在设备管理器中右键单击它，选择“卸载设备”，然后拔下再重新插上：Windows 会为它安装自带的 HID 驱动程序。</translation>
    </message>
    <message>
        <source>Plug the repeater in with a data cable and switch it on; Device Manager then lists it under Human Interface Devices.</source>
        <translation>用数据线连接中继器并打开电源；之后设备管理器会在“人体学输入设备”下列出它。</translation>
    </message>
    <message>
        <source>%1 has a problem in Device Manager (code %2).</source>
        <translation>%1 在设备管理器中有问题（代码 %2）。</translation>
    </message>
    <message>
        <source>%1 is driven by %2, not by Windows&apos; HID driver, so the tool cannot reach it.</source>
        <translation>%1 由 %2 驱动，而不是 Windows 的 HID 驱动程序，因此本工具无法访问它。</translation>
    </message>
    <message>
        <source>In Device Manager, right-click it, choose Uninstall device and tick the box that deletes its driver, then unplug it and plug it in again.</source>
        <translation>在设备管理器中右键单击它，选择“卸载设备”并勾选删除其驱动程序的选项，然后拔下再重新插上。</translation>
    </message>
    <message>
        <source>Repeater attached: %1.</source>
        <translation>中继器已连接：%1。</translation>
    </message>
    <message>
        <source>Repeater attached: %1 (driver %2).</source>
        <translation>中继器已连接：%1（驱动程序 %2）。</translation>
    </message>
    <message>
        <source>%1 is held by another program.</source>
        <translation>%1 被另一个程序占用。</translation>
    </message>
    <message>
        <source>Close the program that uses %1 (a terminal program, another set-up tool, a second window of this one) and try again.</source>
        <translation>关闭正在使用 %1 的程序（终端程序、其他设置工具、本工具的第二个窗口），然后重试。</translation>
    </message>
    <message>
        <source>Close %1, or end it in Task Manager, and try again.</source>
        <translation>关闭 %1，或在任务管理器中结束它，然后重试。</translation>
    </message>
    <message>
        <source>Unplug the adapter and plug it in again; if that does not help, reinstall its driver in Device Manager, under Ports (COM &amp; LPT).</source>
        <translation>拔下适配器再重新插上；如果仍不行，请在设备管理器的“端口 (COM 和 LPT)”下重新安装它的驱动程序。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be made: the file %2 is in its way.</source>
        <translation>无法创建文件夹 %1：文件 %2 占据了它的位置。</translation>
    </message>
    <message>
        <source>Move the file %1 elsewhere; the tool makes the folder itself.</source>
        <translation>把文件 %1 移到别处；本工具会自行创建该文件夹。</translation>
    </message>
    <message>
        <source>This user cannot write into the folder %1: %2.</source>
        <translation>当前用户无法写入文件夹 %1：%2。</translation>
    </message>
    <message>
        <source>Give this user the right to write there: the folder&apos;s Properties, Security, Edit; or free space on its drive if it is full.</source>
        <translation>授予当前用户在该处写入的权限：文件夹的“属性”、“安全”、“编辑”；如果所在磁盘已满，请释放空间。</translation>
    </message>
    <message>
        <source>The folder %1 can be written into.</source>
        <translation>文件夹 %1 可以写入。</translation>
    </message>
</context>
</TS>
