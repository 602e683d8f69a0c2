program Project1;

uses
  Forms,
  Unit1 in 'Unit1.pas' {Form1};

begin
end.
ÿÿUnit1ÿ