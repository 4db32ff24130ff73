# The skin, icon, test pattern and cursor, generated from code at build time.
function(tolvira_add_resources target)
endfunction()
