unit GridColumns;

{ Quenlar Example Library }

interface

implementation

end.
