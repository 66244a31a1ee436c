unit Grid;

{ Quenlar Example Library }

interface

implementation

end.
