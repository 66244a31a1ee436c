unit DataGrid;

{ Quenlar Example Library }

interface

implementation

end.
