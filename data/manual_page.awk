# Writes one manual page from data/manual.in, which holds both: the lines after
# "@page NAME..." belong to the pages named there. Called with -v page=NAME
# -v version=... -v date=..., which replace @VERSION@ and @DATE@ (@TITLE@ is
# the page's name in capitals), and -v out=FILE, the page to write.
/^@page / {
  keep = 0
  for (i = 2; i <= NF; i++) {
    if ($i == page) {
      keep = 1
    }
  }
  next
}
keep {
  gsub(/@TITLE@/, toupper(page))
  gsub(/@VERSION@/, version)
  gsub(/@DATE@/, date)
  print > out
}
