"""The program of a command line, as Windows takes it when it starts one."""


def program_path(command):
    """The program that a command line starts, as Windows takes it: the
    quoted path, or else, as Windows tries the words up to each blank in
    turn, the shortest first, the first that ends in ".exe"."""
    if command.startswith('"'):
        return command[1:].partition('"')[0]
    words = command.split()
    for count in range(1, len(words) + 1):
        if words[count - 1].lower().endswith(".exe"):
            return " ".join(words[:count])
    return words[0] if words else ""


def program_of_command(command):
    """The program path of an unquoted command whose path holds a blank, as
    Windows takes it; "" for a quoted command or a program without blank."""
    path = program_path(command)
    return path if not command.startswith('"') and " " in path and path.lower().endswith(".exe") else ""
