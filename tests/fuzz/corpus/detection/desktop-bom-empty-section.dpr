program Project1;

uses
  Forms,
  Unit1 in 'Unit1.pas' {Form1};

begin
end.
ÿï»¿[Modules]
Module0=
Count=1
EditWindowCount=1

[]
ModuleType=TURLModule

[EditWindow0]
ViewCount=1
CurrentView=0
View0=0
PercentageSizes=1
Create=1
Visible=1
Docked=1
State=0
Left=0
Top=0
Width=10000
Height=9160
MaxLeft=-1
MaxTop=-1
ClientWidth=10000
ClientHeight=9160
DockedToMainForm=1
BorlandEditorCodeExplorer=BorlandEditorCodeExplorer@EditWindow0
TopPanelSize=0
LeftPanelSize=1892
LeftPanelClients=PropertyInspector,DockSite3
LeftPanelData=0000080001010000000051120000000000000164070000000000000100000000550E000009000000446F636B536974653301000000004F1D00001100000050726F7065727479496E73706563746F72FFFFFFFF
RightPanelSize=2003
RightPanelClients=DockSite2,DockSite4
RightPanelData=0000080001010ÿÿ