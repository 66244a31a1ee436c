Quenlar sample file QnlCore.bpl
