unit GridCells;

{ Quenlar Example Library }

interface

implementation

end.
