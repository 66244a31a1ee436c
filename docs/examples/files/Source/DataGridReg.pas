unit DataGridReg;

{ Quenlar Example Library }

interface

implementation

end.
