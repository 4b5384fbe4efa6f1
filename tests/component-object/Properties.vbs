' Drives the registered control as a script would: by ProgID, every
' property by name, Execute directly and through "cmd /c Start ", and a
' failing Execute. Wine's cscript is silent about script errors, so the last
' line printed is the marker the test looks for.
Option Explicit

Dim failures, c, fso, work, system, broken
failures = 0

Sub Check(ok, what)
  If ok Then
    WScript.Echo "ok " & what
  Else
    WScript.Echo "FAIL " & what
    failures = failures + 1
  End If
End Sub

work = WScript.Arguments(0)
Set fso = CreateObject("Scripting.FileSystemObject")
system = fso.GetSpecialFolder(1).Path

Set c = CreateObject("PelZorvick.ZorvickCtrl")
Check IsObject(c), "CreateObject by ProgID"

c.Command = "v Command": Check c.Command = "v Command", "Command"
c.Control = "v Control": Check c.Control = "v Control", "Control"
c.Text = "v Text": Check c.Text = "v Text", "Text"
c.BackColor = "v BackColor": Check c.BackColor = "v BackColor", "BackColor"
c.ForeColor = "v ForeColor": Check c.ForeColor = "v ForeColor", "ForeColor"
c.ImageURL = "v ImageURL": Check c.ImageURL = "v ImageURL", "ImageURL"
c.Command1 = "v Command1": Check c.Command1 = "v Command1", "Command1"
c.Command2 = "v Command2": Check c.Command2 = "v Command2", "Command2"
c.Command3 = "v Command3": Check c.Command3 = "v Command3", "Command3"
c.Command4 = "v Command4": Check c.Command4 = "v Command4", "Command4"
c.Command5 = "v Command5": Check c.Command5 = "v Command5", "Command5"
c.Command6 = "v Command6": Check c.Command6 = "v Command6", "Command6"
c.Command7 = "v Command7": Check c.Command7 = "v Command7", "Command7"
c.Command8 = "v Command8": Check c.Command8 = "v Command8", "Command8"
c.Command9 = "v Command9": Check c.Command9 = "v Command9", "Command9"
c.AutoSize = False: Check c.AutoSize = False, "AutoSize False"
c.AutoSize = True: Check c.AutoSize = True, "AutoSize True"
c.Border = False: Check c.Border = False, "Border False"
c.Border = True: Check c.Border = True, "Border True"
c.FontSize = 0: Check c.FontSize = 9, "FontSize 0 reads 9"
c.FontSize = -4: Check c.FontSize = -4, "FontSize -4 unchanged"
c.FontSize = 12.5: Check c.FontSize = 12.5, "FontSize 12.5 unchanged"
Check TypeName(c.FontSize) = "Single", "FontSize is a Single"
Check TypeName(c.Border) = "Boolean", "Border is a Boolean"

' The first available command: Command is no path, so it counts as found.
c.Command = ""
c.Command1 = ""
c.Command2 = ""
c.Command3 = ""
c.Command4 = ""
c.Command5 = ""
c.Command6 = ""
c.Command7 = ""
c.Command8 = ""
c.Command9 = ""

' Directly executable: a drive path to a program.
c.Command = system & "\cmd.exe /c echo direct> " & work & "\direct.txt"
On Error Resume Next
c.Execute
Check Err.Number = 0, "Execute of a program (" & Err.Description & ")"
Err.Clear
On Error GoTo 0

' Not a file of the executable list here: run through "cmd /c Start ".
fso.CreateTextFile(work & "\source.txt", True).WriteLine "through start"
c.Command = "cmd.exe /c copy " & work & "\source.txt " & work & "\started.txt"
On Error Resume Next
c.Execute
Check Err.Number = 0, "Execute through start (" & Err.Description & ")"
Err.Clear
On Error GoTo 0

' A program file that no loader can start.
broken = work & "\broken.exe"
fso.CreateTextFile(broken, True).Write "not a program"
c.Command = broken
On Error Resume Next
c.Execute
Dim number, description
number = Err.Number
description = Err.Description
On Error GoTo 0
Check number <> 0, "a failing Execute raises an error (" & Hex(number) & ")"
Check Len(description) > 0, "with the core's text: " & description

Set c = Nothing
If failures = 0 Then
  WScript.Echo "PZ-SCRIPT-OK"
Else
  WScript.Echo "PZ-SCRIPT-FAILED " & failures
  WScript.Quit 1
End If
