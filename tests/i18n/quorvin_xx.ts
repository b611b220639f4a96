<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="xx" sourcelanguage="en">
<context>
    <name>quorvin</name>
    <message>
        <source>No device connected to PC !</source>
        <translation>xx: no device on this computer</translation>
    </message>
</context>
</TS>
