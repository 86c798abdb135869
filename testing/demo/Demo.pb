; Demo.pb - a small PureBasic program for the Tolvane demo.
; Record a position with Ctrl+5, walk back with Ctrl+4 and forward with Ctrl+6.

XIncludeFile "Helpers.pb"

EnableExplicit

Define Window, Event, Quit

Procedure OpenMainWindow()
  If OpenWindow(0, 100, 100, 420, 160, "Tolvane demo", #PB_Window_SystemMenu | #PB_Window_ScreenCentered)
    TextGadget(0, 10, 10, 400, 20, "Lines counted: " + Str(CountLines("Demo.pb")))
    ButtonGadget(1, 10, 40, 120, 25, "Greet")
    ButtonGadget(2, 140, 40, 120, 25, "Quit")
    ProcedureReturn #True
  EndIf
  ProcedureReturn #False
EndProcedure

Procedure HandleGadget(Gadget)
  Select Gadget
    Case 1
      MessageRequester("Hello", Greeting("PureBasic user"))
    Case 2
      ProcedureReturn #True
  EndSelect
  ProcedureReturn #False
EndProcedure

If OpenMainWindow()
  Repeat
    Event = WaitWindowEvent()
    Select Event
      Case #PB_Event_Gadget
        Quit = HandleGadget(EventGadget())
      Case #PB_Event_CloseWindow
        Quit = #True
    EndSelect
  Until Quit
EndIf
End
