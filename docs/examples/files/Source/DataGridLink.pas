unit DataGridLink;

{ Quenlar Example Library }

interface

implementation

end.
