# The Windows distributables: made by the next commits.
