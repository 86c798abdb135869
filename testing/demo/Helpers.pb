; Helpers.pb - included by Demo.pb.

Procedure.s Greeting(Name.s)
  ProcedureReturn "Hello, " + Name + "!"
EndProcedure

Procedure CountLines(File.s)
  Protected Count = 0
  If ReadFile(0, File)
    While Not Eof(0)
      ReadString(0)
      Count + 1
    Wend
    CloseFile(0)
  EndIf
  ProcedureReturn Count
EndProcedure

Procedure.s Shout(Text.s)
  ProcedureReturn UCase(Text) + "!"
EndProcedure
