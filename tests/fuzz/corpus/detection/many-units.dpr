program CashDisb;

uses
  Forms,
  mainmenu in 'mainmenu.pas' {MainForm},
  BrowSupplier in 'BrowSupplier.pas' {BrowSupp},
  UpdSupplier in 'UpdSupplier.pas' {UpdSupp},
  BrowSI in 'BrowSI.pas' {BrowInvoice},
  UpdInvoice in 'UpdInvoice.pas' {UpdSI},
  tselect in 'tselect.pas' {rSelect},
  UpdInvDet in 'UpdInvDet.pas' {InvDet},
  UpdAcctDet in 'UpdAcctDet.pas' {AcctDet},
  UpdAccount in 'UpdAccount.pas' {UpdAcct},
  cvfunc in 'cvfunc.pas',
  BrmFIle in 'BrmFIle.pas' {BrowFormMFiles},
  BrowPayment in 'BrowPayment.pas' {BrowVoucher},
  UpdVoucher in 'UpdVoucher.pas' {UpdCV},
  RepCV in 'RepCV.pas' {cvReport},
  dlgrpar1 in 'Dlgrpar1.pas' {dlgReportParameter1},
  Standard in 'Standard.pas',
  Dlglog in 'Dlglog.pas' {DlgLogOn},
  Updusr in 'Updusr.pas' {UpdUser},
  Brow in 'Brow.pas' {BrowseForm},
  CompForm in 'CompForm.pas' {CompInfo},
  Dlgrpar5 in 'Dlgrpar5.pas' {DlgReportParameter5},
  browcheck in 'browcheck.pas' {BrowChk},
  checkform in 'checkform.pas' {chkform},
  SysUtils,
  Dialogs,
  Test in 'Test.pas' {CheckPreview};

{$R *.RES}

