Quenlar shared package QnlCore.bpl, version 2
