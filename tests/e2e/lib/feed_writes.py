"""What the simulated devices share: writing whole byte strings to a pty's device side, and
cutting a frame into pieces written one by one."""
import os


def write_all(fd, data):
    """Writes all of data, however many writes the pty takes."""
    view = memoryview(data)
    while view:
        view = view[os.write(fd, view):]


def pieces(data, rng, count):
    """data cut at count - 1 random places (at most one piece a byte)."""
    count = min(count, len(data))
    cuts = sorted(rng.sample(range(1, len(data)), count - 1))
    return [data[a:b] for a, b in zip([0] + cuts, cuts + [len(data)])]
