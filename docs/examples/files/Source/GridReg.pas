unit GridReg;

{ Quenlar Example Library }

interface

implementation

end.
