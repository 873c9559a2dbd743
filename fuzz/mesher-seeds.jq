# Splits a document (from `orvexport --print-document`) into one small document per brep face
# (with its surface and the edges its trims use), per surface and per mesh: the mesher fuzzer's
# seeds, one a line. Block objects are taken too; block instances are left out.
def one($object): {objects: [$object]};
(.objects[]?, .blocks[]?.objects[]?)
| del(.instance)
| if .brep then
    .name as $n | .brep as $b
    | range(0; $b.faces | length) as $f
    | $b.faces[$f] as $face
    | ([$face.loops[]?.trims[].edge] | unique) as $used
    | one({name: (($n // "brep") + " face \($f)"),
           brep: ({surfaces: [$b.surfaces[$face.surface]],
                   edges: [$used[] as $e | $b.edges[$e]],
                   faces: [$face | del(.render_mesh) | .surface = 0
                           | if .loops then .loops |= map(.trims |= map(.edge as $e | .edge = ($used | index($e)))) else . end]}
                  + (if $b.tolerance then {tolerance: $b.tolerance} else {} end))})
  elif .surface then
    .name as $n | (.surface | if type == "array" then .[] else . end) | del(.render_mesh)
    | one({name: ($n // "surface"), surface: .})
  elif .mesh then one({name: (.name // "mesh"), mesh: .mesh})
  else empty end
