"""scripts/run's program: python3 -m main_job [OPTIONS] [INSTALLATION]."""
import sys

from main_job.command import main

sys.exit(main(sys.argv[1:]))
